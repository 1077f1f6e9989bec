// Prints the desktop's type of file for sessions: its magic is the
// sections a session may begin with, from the list the loader keeps.
#include "document/SessionFile.h"

#include <cstdio>
#include <cstring>

int main()
{
    std::printf("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                "  <mime-type type=\"application/x-quillon-session\">\n"
                "    <comment>Quillon session</comment>\n"
                "    <sub-class-of type=\"text/plain\"/>\n"
                "    <generic-icon name=\"com.kestrow.quillon\"/>\n"
                "    <glob pattern=\"*.qsf\"/>\n"
                "    <magic priority=\"60\">\n");
    for (const char* section : SessionSections) {
        // "series/" begins a name: the bracket stays open.
        const bool prefix = section[std::strlen(section) - 1] == '/';
        std::printf("      <match type=\"string\" value=\"[%s%s\" offset=\"0\"/>\n", section, prefix ? "" : "]");
    }
    std::printf("    </magic>\n"
                "  </mime-type>\n"
                "</mime-info>\n");
    return 0;
}
