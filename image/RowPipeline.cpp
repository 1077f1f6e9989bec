#include "RowPipeline.h"

namespace {

constexpr std::uint32_t BatchRows = 32;

int BatchOf(std::uint32_t fromTop)
{
    return int(fromTop / BatchRows % 2);
}

} // namespace

TRowPipeline::TRowPipeline(const TSharedRows& Rows, std::size_t InBytes, std::uint32_t Height, TConvert Convert)
    : FRows(Rows), FInBytes(InBytes), FHeight(Height), FConvert(std::move(Convert))
{
    for (std::vector<BYTE>& batch : FBatches)
        batch.resize(InBytes * BatchRows);
    FThread = std::thread([this] { Work(); });
}

TRowPipeline::~TRowPipeline()
{
    {
        const std::lock_guard<std::mutex> hold(FLock);
        FQuit = true;
    }
    FChanged.notify_all();
    FThread.join();
}

BYTE* TRowPipeline::In(std::uint32_t FromTop)
{
    const int batch = BatchOf(FromTop);
    if (FromTop % BatchRows == 0) {
        std::unique_lock<std::mutex> hold(FLock);
        FChanged.wait(hold, [&] { return FFirst[batch] == FLast[batch]; });
    }
    return FBatches[batch].data() + FInBytes * (FromTop % BatchRows);
}

void TRowPipeline::Decoded(std::uint32_t FromTop)
{
    if (FromTop % BatchRows != BatchRows - 1 && FromTop + 1 != FHeight)
        return;
    const int batch = BatchOf(FromTop);
    {
        const std::lock_guard<std::mutex> hold(FLock);
        FFirst[batch] = FromTop / BatchRows * BatchRows;
        FLast[batch] = FromTop + 1;
    }
    FChanged.notify_all();
}

bool TRowPipeline::Finish()
{
    std::unique_lock<std::mutex> hold(FLock);
    FChanged.wait(hold, [&] { return FFirst[0] == FLast[0] && FFirst[1] == FLast[1]; });
    return !FFailed;
}

void TRowPipeline::Work()
{
    std::vector<BYTE> out(FRows.Pitch(), 0);
    for (int batch = 0;; batch = 1 - batch) {
        std::uint32_t first = 0, last = 0;
        {
            std::unique_lock<std::mutex> hold(FLock);
            FChanged.wait(hold, [&] { return FQuit || FFirst[batch] != FLast[batch]; });
            if (FQuit)
                return;
            first = FFirst[batch];
            last = FLast[batch];
        }
        bool written = true;
        for (std::uint32_t y = first; y < last && written; ++y) {
            FConvert(FBatches[batch].data() + FInBytes * (y - first), y, out.data());
            written = FRows.Put(y, out.data());
        }
        {
            const std::lock_guard<std::mutex> hold(FLock);
            FFailed = FFailed || !written;
            FFirst[batch] = FLast[batch];
        }
        FChanged.notify_all();
    }
}
