#include "SaneScanner.h"

#include <cstring>

TSaneScanner::~TSaneScanner()
{
    Close();
}

std::vector<TSaneDeviceInfo> TSaneScanner::Devices()
{
    std::vector<TSaneDeviceInfo> devices;
    const SANE_Device** list = nullptr;
    if (sane_get_devices(&list, SANE_FALSE) != SANE_STATUS_GOOD || !list)
        return devices;
    for (const SANE_Device** d = list; *d; ++d)
        devices.push_back({QString::fromUtf8((*d)->name), QString::fromUtf8((*d)->vendor),
                           QString::fromUtf8((*d)->model), QString::fromUtf8((*d)->type)});
    return devices;
}

bool TSaneScanner::Open(const QString& Name)
{
    Close();
    return sane_open(Name.toUtf8().constData(), &FHandle) == SANE_STATUS_GOOD;
}

void TSaneScanner::Close()
{
    if (FHandle) {
        sane_close(FHandle);
        FHandle = nullptr;
    }
}

const SANE_Option_Descriptor* TSaneScanner::Option(const char* name, int& index) const
{
    if (!FHandle)
        return nullptr;
    for (index = 1;; ++index) {
        const SANE_Option_Descriptor* option = sane_get_option_descriptor(FHandle, index);
        if (!option)
            return nullptr;
        if (option->name && std::strcmp(option->name, name) == 0 && SANE_OPTION_IS_ACTIVE(option->cap))
            return option;
    }
}

QString TSaneScanner::WordText(const SANE_Option_Descriptor* option, SANE_Word value)
{
    return option->type == SANE_TYPE_FIXED ? QString::number(SANE_UNFIX(value)) : QString::number(value);
}

QStringList TSaneScanner::Resolutions() const
{
    int index = 0;
    const SANE_Option_Descriptor* option = Option(SANE_NAME_SCAN_RESOLUTION, index);
    if (!option)
        return {};
    QStringList values;
    if (option->constraint_type == SANE_CONSTRAINT_WORD_LIST) {
        const SANE_Word* list = option->constraint.word_list;
        for (int i = 1; i <= list[0]; ++i)
            values << WordText(option, list[i]);
    } else if (option->constraint_type == SANE_CONSTRAINT_RANGE) {
        const SANE_Range* range = option->constraint.range;
        const double low = WordText(option, range->min).toDouble();
        const double high = WordText(option, range->max).toDouble();
        for (int dpi : {50, 75, 100, 150, 200, 300, 400, 600, 1200, 2400})
            if (dpi >= low && dpi <= high)
                values << QString::number(dpi);
        if (values.isEmpty())
            values << QString::number(low);
    }
    return values;
}

QString TSaneScanner::Resolution() const
{
    int index = 0;
    const SANE_Option_Descriptor* option = Option(SANE_NAME_SCAN_RESOLUTION, index);
    SANE_Word value = 0;
    if (!option || sane_control_option(FHandle, index, SANE_ACTION_GET_VALUE, &value, nullptr) != SANE_STATUS_GOOD)
        return {};
    return WordText(option, value);
}

bool TSaneScanner::SetResolution(const QString& Value)
{
    int index = 0;
    const SANE_Option_Descriptor* option = Option(SANE_NAME_SCAN_RESOLUTION, index);
    if (!option)
        return false;
    SANE_Word value = option->type == SANE_TYPE_FIXED ? SANE_FIX(Value.toDouble()) : SANE_Word(Value.toInt());
    return sane_control_option(FHandle, index, SANE_ACTION_SET_VALUE, &value, nullptr) == SANE_STATUS_GOOD;
}

QStringList TSaneScanner::Modes() const
{
    int index = 0;
    const SANE_Option_Descriptor* option = Option(SANE_NAME_SCAN_MODE, index);
    QStringList values;
    if (option && option->constraint_type == SANE_CONSTRAINT_STRING_LIST)
        for (const SANE_String_Const* s = option->constraint.string_list; *s; ++s)
            values << QString::fromUtf8(*s);
    return values;
}

QString TSaneScanner::Mode() const
{
    int index = 0;
    const SANE_Option_Descriptor* option = Option(SANE_NAME_SCAN_MODE, index);
    if (!option)
        return {};
    QByteArray value(option->size, '\0');
    if (sane_control_option(FHandle, index, SANE_ACTION_GET_VALUE, value.data(), nullptr) != SANE_STATUS_GOOD)
        return {};
    return QString::fromUtf8(value.constData());
}

bool TSaneScanner::SetMode(const QString& Value)
{
    int index = 0;
    const SANE_Option_Descriptor* option = Option(SANE_NAME_SCAN_MODE, index);
    if (!option)
        return false;
    QByteArray value = Value.toUtf8();
    value.resize(std::max<qsizetype>(option->size, value.size() + 1), '\0');
    return sane_control_option(FHandle, index, SANE_ACTION_SET_VALUE, value.data(), nullptr) == SANE_STATUS_GOOD;
}

void TSaneScanner::Cancel()
{
    FCancelled = true;
    if (FHandle)
        sane_cancel(FHandle);
}

bool TSaneScanner::Scan(TScannedImage& Out, QString& Error)
{
    FCancelled = false;
    SANE_Status status = sane_start(FHandle);
    if (status != SANE_STATUS_GOOD) {
        Error = QString::fromUtf8(sane_strstatus(status));
        return false;
    }
    SANE_Parameters p{};
    sane_get_parameters(FHandle, &p);
    if ((p.format != SANE_FRAME_GRAY && p.format != SANE_FRAME_RGB) || !p.last_frame) {
        sane_cancel(FHandle);
        Error = QStringLiteral("This device scans in separate colour passes, which is not supported.");
        return false;
    }
    std::vector<std::uint8_t> raw;
    raw.reserve(p.lines > 0 ? std::size_t(p.lines) * std::size_t(p.bytes_per_line) : 1 << 20);
    SANE_Byte buffer[32768];
    for (;;) {
        SANE_Int length = 0;
        status = sane_read(FHandle, buffer, sizeof buffer, &length);
        if (status != SANE_STATUS_GOOD)
            break;
        raw.insert(raw.end(), buffer, buffer + length);
    }
    sane_cancel(FHandle);
    if (status != SANE_STATUS_EOF || FCancelled) {
        Error = FCancelled ? QStringLiteral("Cancelled") : QString::fromUtf8(sane_strstatus(status));
        return false;
    }

    return Normalise(p, raw, Out, Error);
}

bool TSaneScanner::Normalise(const SANE_Parameters& p, std::vector<std::uint8_t>& raw, TScannedImage& Out,
                             QString& Error) const
{
    const int channels = p.format == SANE_FRAME_RGB ? 3 : 1;
    const std::size_t width = p.pixels_per_line > 0 ? std::size_t(p.pixels_per_line) : 0;
    // A 1-bit colour line holds whole bytes of each channel in turn.
    const std::size_t needed = p.depth == 1 && channels == 3 ? 3 * ((width + 7) / 8)
                                                              : (std::size_t(p.depth) * channels * width + 7) / 8;
    if (p.depth != 1 && p.depth != 8 && p.depth != 16) {
        Error = QStringLiteral("The scanner delivers %1 bits per sample, which is not supported.").arg(p.depth);
        return false;
    }
    if (width == 0 || p.bytes_per_line <= 0 || std::size_t(p.bytes_per_line) < needed) {
        Error = QStringLiteral("The scanner delivered a picture without a valid size.");
        return false;
    }
    const std::size_t stride = std::size_t(p.bytes_per_line);
    Out.Width = int(width);
    Out.Height = int(raw.size() / stride);
    Out.Channels = channels;
    Out.Resolution = Resolution().toDouble();
    if (p.depth == 1 && channels == 1) {
        // Kept packed: one bit a pixel, 1 black.
        Out.Depth = 1;
        Out.BytesPerLine = int(stride);
        raw.resize(stride * std::size_t(Out.Height));
        Out.Rows = std::move(raw);
        return Out.Height > 0;
    }
    // Everything else becomes 8 bits a sample: 16-bit samples (machine order)
    // keep their high byte, and a 1-bit colour sample (1 is full intensity)
    // becomes 0 or 255.
    Out.Depth = 8;
    Out.BytesPerLine = int(width) * channels;
    Out.Rows.resize(std::size_t(Out.BytesPerLine) * std::size_t(Out.Height));
    for (int y = 0; y < Out.Height; ++y) {
        const std::uint8_t* in = raw.data() + std::size_t(y) * stride;
        std::uint8_t* out = Out.Rows.data() + std::size_t(y) * std::size_t(Out.BytesPerLine);
        for (int i = 0; i < Out.BytesPerLine; ++i) {
            if (p.depth == 16) {
                std::uint16_t sample;
                std::memcpy(&sample, in + 2 * std::size_t(i), 2);
                out[i] = std::uint8_t(sample >> 8);
            } else if (p.depth == 1) {
                // Eight pixels of one channel a byte, the channels of those
                // eight pixels in turn: red byte, green byte, blue byte.
                const int x = i / 3;
                const int c = i % 3;
                out[i] = (in[3 * (x / 8) + c] >> (7 - x % 8)) & 1 ? 255 : 0;
            } else {
                out[i] = in[i];
            }
        }
    }
    return Out.Height > 0;
}
