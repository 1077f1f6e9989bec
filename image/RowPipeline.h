#pragma once

#include "SharedRows.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Converts decoded rows and writes them into the shared rows on a thread of
// its own while the decoder goes on with the next ones: the conversion then
// costs no time beside the decoding. Rows come top first, a batch at a time
// in one of two buffers.
class TRowPipeline {
public:
    using TConvert = std::function<void(const BYTE* In, std::uint32_t FromTop, BYTE* Out)>;
    TRowPipeline(const TSharedRows& Rows, std::size_t InBytes, std::uint32_t Height, TConvert Convert);
    // Stops the thread, whether or not every row came.
    ~TRowPipeline();
    TRowPipeline(const TRowPipeline&) = delete;
    TRowPipeline& operator=(const TRowPipeline&) = delete;

    // Where the row FromTop is to be decoded; it must be handed on with
    // Decoded before the next one is asked for.
    BYTE* In(std::uint32_t FromTop);
    void Decoded(std::uint32_t FromTop);
    // Waits for every row handed on to be written: false if one was not.
    bool Finish();

private:
    void Work();

    const TSharedRows& FRows;
    const std::size_t FInBytes;
    const std::uint32_t FHeight;
    const TConvert FConvert;
    std::vector<BYTE> FBatches[2];
    std::mutex FLock;
    std::condition_variable FChanged;
    // Rows First..Last - 1 of each batch wait to be written; none when equal.
    std::uint32_t FFirst[2] = {0, 0};
    std::uint32_t FLast[2] = {0, 0};
    bool FQuit = false;
    bool FFailed = false;
    std::thread FThread;
};
