#pragma once

#include <QString>

#include <cstdint>
#include <vector>

struct TInfoItem {
    QString Caption;
    QString Key;
    QString Value;
};

// The version strings, fixed version and modification time of a program
// file, read from its version block.
class TAboutInfo {
public:
    explicit TAboutInfo(const QString& FileName);

    void InitItems();
    void ReadFileInfo(const QString& FileName);
    // Fills the items found and the four numbers given; false when the file
    // has no readable block or no fixed part.
    bool ReadVersionInfo(const QString& FileName, std::uint16_t* AMajor, std::uint16_t* AMinor,
                         std::uint16_t* ARelease, std::uint16_t* ABuild);
    QString GetVersionText() const;

    std::vector<TInfoItem> Items;
    std::uint16_t Major = 0;
    std::uint16_t Minor = 0;
    std::uint16_t Release = 0;
    std::uint16_t Build = 0;
    QString BuildDate;
};
