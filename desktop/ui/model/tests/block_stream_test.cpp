#include <gtest/gtest.h>

#include <vector>

#include "uimodel/BlockStream.h"

namespace {

using namespace uimodel;

TEST(StreamPlanner, BlocksCoverEveryFrameOnceAndTheLastIsCut) {
    for (uint32_t total : {0u, 1u, 999u, 1000u, 1001u, 5000u, 5001u}) {
        for (uint32_t start : {0u, 1u, 998u, 1000u, 4999u}) {
            std::vector<int> covered(total, 0);
            uint32_t at = start;
            int blocks = 0;
            while (auto block = PlanStreamBlock(at, total, 1000)) {
                ASSERT_EQ(block->first, at);
                ASSERT_GT(block->frames, 0u);
                ASSERT_LE(block->frames, 1000u);
                for (uint32_t f = block->first; f < block->first + block->frames; ++f) {
                    ++covered[f];
                }
                at += block->frames;
                ++blocks;
                ASSERT_EQ(block->final, at == total);
            }
            for (uint32_t f = 0; f < total; ++f) {
                ASSERT_EQ(covered[f], f >= start ? 1 : 0) << total << " " << start << " " << f;
            }
            EXPECT_LE(blocks, 6);
        }
    }
    EXPECT_FALSE(PlanStreamBlock(10, 10, 1000));
    EXPECT_FALSE(PlanStreamBlock(11, 10, 1000));
    EXPECT_FALSE(PlanStreamBlock(0, 10, 0));
}

// A mono recording whose sample at frame f is f + 1.
BlockStream::Reader CountingReader(std::vector<uint32_t>* reads = nullptr) {
    return [reads](int16_t* destination, uint32_t first, uint32_t count) {
        for (uint32_t i = 0; i < count; ++i) {
            destination[i] = static_cast<int16_t>(first + i + 1);
        }
        if (reads != nullptr) {
            reads->push_back(first);
        }
        return true;
    };
}

std::vector<int16_t> Samples(const BlockStream::HandOver& block) {
    return std::vector<int16_t>(block.samples, block.samples + block.frames);
}

TEST(BlockStream, HandsOverBlocksUntilTheFinalOneThenEnds) {
    BlockStream stream(100);
    std::vector<int16_t> heard;
    auto block = stream.Start(30, 250, 1, CountingReader());
    ASSERT_TRUE(block);
    EXPECT_EQ(stream.CurrentState(), BlockStream::State::Streaming);
    EXPECT_EQ(block->firstFrame, 30u);
    auto first = Samples(*block);
    heard.insert(heard.end(), first.begin(), first.end());
    // The block being heard stays intact while the next one is read.
    const int16_t* beingHeard = block->samples;
    block = stream.Next();
    ASSERT_TRUE(block);
    EXPECT_EQ(beingHeard[0], 31);
    EXPECT_EQ(stream.BlockStart(), 130u);
    auto second = Samples(*block);
    heard.insert(heard.end(), second.begin(), second.end());
    block = stream.Next();  // 230..249: the final block, cut at the end
    ASSERT_TRUE(block);
    EXPECT_EQ(block->frames, 20u);
    EXPECT_EQ(stream.CurrentState(), BlockStream::State::FinalHandedOver);
    auto third = Samples(*block);
    heard.insert(heard.end(), third.begin(), third.end());
    EXPECT_FALSE(stream.Ended());  // the end message of an earlier block is not the end
    EXPECT_FALSE(stream.Next());
    EXPECT_EQ(stream.CurrentState(), BlockStream::State::FinalFinished);
    EXPECT_FALSE(stream.Next());
    EXPECT_TRUE(stream.Ended());
    std::vector<int16_t> expected;
    for (int f = 30; f < 250; ++f) {
        expected.push_back(static_cast<int16_t>(f + 1));
    }
    EXPECT_EQ(heard, expected);
}

TEST(BlockStream, ExactMultipleNeverHandsOverAnEmptyBlock) {
    BlockStream stream(100);
    std::vector<uint32_t> reads;
    ASSERT_TRUE(stream.Start(0, 200, 2, CountingReader(&reads)));
    auto block = stream.Next();
    ASSERT_TRUE(block);
    EXPECT_EQ(block->frames, 100u);
    EXPECT_EQ(stream.CurrentState(), BlockStream::State::FinalHandedOver);
    EXPECT_FALSE(stream.Next());
    EXPECT_EQ(reads, (std::vector<uint32_t>{0, 100}));
}

TEST(BlockStream, StartAtOrPastTheEndPlaysNothing) {
    BlockStream stream(100);
    EXPECT_FALSE(stream.Start(200, 200, 1, CountingReader()));
    EXPECT_FALSE(stream.Start(500, 200, 1, CountingReader()));
    EXPECT_EQ(stream.CurrentState(), BlockStream::State::Idle);
    EXPECT_FALSE(stream.Next());
}

TEST(BlockStream, StopEndsStreamingForGood) {
    BlockStream stream(100);
    std::vector<uint32_t> reads;
    ASSERT_TRUE(stream.Start(0, 1000, 1, CountingReader(&reads)));
    stream.Stop();
    // A request that was already on its way when playback stopped.
    EXPECT_FALSE(stream.Next());
    EXPECT_TRUE(stream.Ended());
    EXPECT_EQ(reads, (std::vector<uint32_t>{0}));
}

TEST(BlockStream, UnreadableBlockEndsAfterWhatWasHandedOver) {
    BlockStream stream(100);
    int calls = 0;
    auto failingSecondRead = [&calls](int16_t* destination, uint32_t, uint32_t count) {
        std::fill(destination, destination + count, int16_t{7});
        return ++calls < 2;
    };
    ASSERT_TRUE(stream.Start(0, 1000, 1, failingSecondRead));
    EXPECT_FALSE(stream.Next());
    EXPECT_TRUE(stream.Ended());
}

}  // namespace
