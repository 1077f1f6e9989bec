// What the renderer program may do once it starts reading a drawing. Unlike
// the decoder's, this is a list of what it may not do: poppler, fontconfig
// and Qt's fonts open, map and stat files in ways no list foresees, and none
// of that reaches beyond the process.
#include "RendererChild.h"

#include "image/DecoderChild.h"

#include <cerrno>
#include <fcntl.h>
#include <seccomp.h>
#include <sys/mman.h>

namespace {

// Its code, fonts and library state beside the picture and the drawing.
constexpr std::int64_t RendererProgramBytes = std::int64_t(1) << 30;

bool Confine()
{
    const scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ALLOW);
    if (!filter)
        return false;
    bool ok = true;
    for (const int call : {SCMP_SYS(socket), SCMP_SYS(socketpair), SCMP_SYS(connect), SCMP_SYS(bind),
                           SCMP_SYS(sendto), SCMP_SYS(sendmsg), SCMP_SYS(execve), SCMP_SYS(execveat),
                           SCMP_SYS(fork), SCMP_SYS(vfork), SCMP_SYS(ptrace), SCMP_SYS(process_vm_writev),
                           SCMP_SYS(kill), SCMP_SYS(tgkill), SCMP_SYS(unlink), SCMP_SYS(unlinkat),
                           SCMP_SYS(rename), SCMP_SYS(renameat), SCMP_SYS(renameat2), SCMP_SYS(mkdir),
                           SCMP_SYS(mkdirat), SCMP_SYS(truncate), SCMP_SYS(chmod), SCMP_SYS(fchmodat),
                           SCMP_SYS(link), SCMP_SYS(linkat), SCMP_SYS(symlink), SCMP_SYS(symlinkat)})
        ok = ok && seccomp_rule_add(filter, SCMP_ACT_KILL_PROCESS, call, 0) == 0;
    // Files are opened to be read only: a font cache it would write is
    // simply not written.
    for (const int flag : {O_WRONLY, O_RDWR, O_CREAT})
        ok = ok &&
             seccomp_rule_add(filter, SCMP_ACT_ERRNO(EACCES), SCMP_SYS(openat), 1,
                              SCMP_A2(SCMP_CMP_MASKED_EQ, scmp_datum_t(flag), scmp_datum_t(flag))) == 0 &&
             seccomp_rule_add(filter, SCMP_ACT_ERRNO(EACCES), SCMP_SYS(open), 1,
                              SCMP_A1(SCMP_CMP_MASKED_EQ, scmp_datum_t(flag), scmp_datum_t(flag))) == 0;
    ok = ok && seccomp_rule_add(filter, SCMP_ACT_ERRNO(EACCES), SCMP_SYS(creat), 0) == 0;
    // Memory never becomes code.
    for (const int call : {SCMP_SYS(mmap), SCMP_SYS(mprotect)})
        ok = ok && seccomp_rule_add(filter, SCMP_ACT_ERRNO(EACCES), call, 1,
                                    SCMP_A2(SCMP_CMP_MASKED_EQ, PROT_EXEC, PROT_EXEC)) == 0;
    ok = ok && seccomp_load(filter) == 0;
    seccomp_release(filter);
    return ok;
}

} // namespace

QString ConfineRenderer()
{
    if (const QString why = LimitDecoder(RendererProgramBytes); !why.isEmpty())
        return why;
    if (!Confine())
        return QStringLiteral("no system call filter");
    return {};
}
