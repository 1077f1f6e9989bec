#pragma once

#include "ScannedImage.h"

#include <QString>
#include <QStringList>

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <atomic>

struct TSaneDeviceInfo {
    QString Name;
    QString Vendor;
    QString Model;
    QString Type;
};

// One SANE device: its resolution and colour mode, and the scan itself.
class TSaneScanner {
public:
    ~TSaneScanner();

    static std::vector<TSaneDeviceInfo> Devices();

    bool Open(const QString& Name);
    void Close();
    bool IsOpen() const { return FHandle != nullptr; }

    QStringList Resolutions() const;
    QString Resolution() const;
    bool SetResolution(const QString& Value);
    QStringList Modes() const;
    QString Mode() const;
    bool SetMode(const QString& Value);

    // Scans one picture; runs on a worker thread. False when SANE fails or
    // the scan was cancelled; Error then says why.
    bool Scan(TScannedImage& Out, QString& Error);
    // Stops a scan in progress; callable from any thread.
    void Cancel();

private:
    // The raw frame as a TScannedImage of 1-bit grey or 8-bit samples; false
    // with Error for a frame it cannot read.
    bool Normalise(const SANE_Parameters& p, std::vector<std::uint8_t>& raw, TScannedImage& Out,
                   QString& Error) const;
    // The active option of that name and its index, or null.
    const SANE_Option_Descriptor* Option(const char* name, int& index) const;
    static QString WordText(const SANE_Option_Descriptor* option, SANE_Word value);

    SANE_Handle FHandle = nullptr;
    std::atomic<bool> FCancelled{false};
};
