#include "common/RunLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <map>
#include <set>
#include <vector>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Files in memory, shared by every set the log makes; writes wait while the disk is "stuck".
struct Disk {
    std::mutex lock;
    std::condition_variable moved;
    bool stuck = false;
    std::map<std::wstring, std::string> contents;

    void Stick(bool on) {
        std::lock_guard<std::mutex> hold(lock);
        stuck = on;
        moved.notify_all();
    }
};

class DiskFiles : public IFileWriter {
public:
    explicit DiskFiles(Disk& disk) : disk(disk) {}
    bool Open(const std::wstring& path, std::wstring&) override {
        std::lock_guard<std::mutex> hold(disk.lock);
        open = path;
        disk.contents[path];
        return true;
    }
    void Close() override { open.clear(); }
    bool IsOpen() const override { return !open.empty(); }
    uint64_t Size() const override { return 0; }
    bool Write(const char* bytes, size_t count, std::wstring&) override {
        std::unique_lock<std::mutex> hold(disk.lock);
        disk.moved.wait(hold, [this] { return !disk.stuck; });
        disk.contents[open].append(bytes, count);
        return true;
    }
    bool Rename(const std::wstring&, const std::wstring&, std::wstring&) override { return false; }
    bool Remove(const std::wstring&, std::wstring&) override { return true; }
    bool Exists(const std::wstring&) const override { return false; }

private:
    Disk& disk;
    std::wstring open;
};

// Lines "<n>" padded to 100 characters, so a queue of 1,000 units holds ten of them.
std::wstring Numbered(int n) {
    std::wstring line = std::to_wstring(n);
    return line + std::wstring(99 - line.size(), L' ') + L"\n";
}

TEST(RunLog, ASwitchOfFileDuringAFloodNeitherWaitsForTheDiskNorLetsTheQueueGrow) {
    Disk disk;
    std::atomic<int> appended(0);
    {
        RunLog log([&] { return std::unique_ptr<IFileWriter>(new DiskFiles(disk)); },
                   [] { return LogFileWriter::LocalTime{2026, 12, 7, 15, 4, 5, 123}; }, 1000);
        log.Configure(L"a.log", 0, 0, nullptr);
        disk.Stick(true);
        std::thread flood([&] {
            for (int n = 0; n < 100; ++n, ++appended) {
                log.Append(Numbered(n).c_str());
            }
        });
        std::this_thread::sleep_for(200ms);  // the writer holds one batch, the queue is full
        auto change = std::async(std::launch::async, [&] { log.Configure(L"b.log", 0, 0, nullptr); });
        EXPECT_EQ(std::future_status::ready, change.wait_for(2s)) << "the switch waited for the stuck disk";
        std::this_thread::sleep_for(200ms);
        EXPECT_LE(appended.load(), 25) << "the queue grew past its bound while the file changed";
        disk.Stick(false);
        flood.join();
    }  // the end writes what is queued
    // Every line once, in order, those queued before the switch in the first file.
    std::string both = disk.contents[L"a.log"] + disk.contents[L"b.log"];
    EXPECT_FALSE(disk.contents[L"a.log"].empty());
    EXPECT_FALSE(disk.contents[L"b.log"].empty());
    size_t at = 0;
    for (int n = 0; n < 100; ++n) {
        std::string expected = "2026-12-07 15:04:05.123 " + std::to_string(n) + " ";
        ASSERT_EQ(expected, both.substr(at, expected.size()));
        at = both.find("\r\n", at) + 2;
    }
    EXPECT_EQ(both.size(), at);
}

// Waits up to two seconds for the file to hold text.
bool Holds(Disk& disk, const std::wstring& path, const std::string& text) {
    for (int i = 0; i < 400; ++i) {
        {
            std::lock_guard<std::mutex> hold(disk.lock);
            if (disk.contents[path].find(text) != std::string::npos) {
                return true;
            }
        }
        std::this_thread::sleep_for(5ms);
    }
    return false;
}

TEST(RunLog, BytesAndWideTextKeepTheirOrderAndALineAfterAQuietSpellIsNotLeftInTheQueue) {
    Disk disk;
    RunLog log([&] { return std::unique_ptr<IFileWriter>(new DiskFiles(disk)); }, [] { return LogFileWriter::LocalTime{}; },
               1000);
    log.Configure(L"a.log", 0, 0, nullptr);
    std::set<const char*> blocks;  // the reader's buffers, as the log hands them back
    int handedOver = 0;
    std::thread flood([&] {
        std::vector<char> block(160);
        for (int n = 0; n < 3000; ++n) {
            std::wstring line = Numbered(n);
            std::string bytes(line.begin(), line.end());
            if (n % 3 == 0) {
                log.AppendAscii(bytes.data(), bytes.size());
            } else if (n % 3 == 1) {
                // Read into the buffer as the reader does; whatever comes back is read into at
                // once, so a buffer handed back before it was written would show in the file.
                block.resize(160);
                std::copy(bytes.begin(), bytes.end(), block.begin() + 3);
                const char* before = block.data();
                log.AppendAscii(block, block.data() + 3, bytes.size());
                handedOver += block.data() != before ? 1 : 0;
                if (block.data()) {
                    blocks.insert(block.data());
                }
                block.resize(160);
                std::fill(block.begin(), block.end(), '#');
            } else {
                log.Append(line.c_str());
            }
        }
    });
    flood.join();
    ASSERT_TRUE(Holds(disk, L"a.log", "2999 "));
    {
        std::lock_guard<std::mutex> hold(disk.lock);
        const std::string& text = disk.contents[L"a.log"];
        size_t at = 0;
        for (int n = 0; n < 3000; ++n) {
            size_t found = text.find(" " + std::to_string(n) + " ", at);
            ASSERT_NE(std::string::npos, found) << n;
            at = found + 1;
        }
        EXPECT_EQ(std::string::npos, text.find('#'));
    }
    // Each full buffer went to the log whole, and buffers come back to be read into again: a
    // flood does not take memory afresh for each read.
    EXPECT_EQ(1000, handedOver);
    EXPECT_FALSE(blocks.empty());
    EXPECT_LT(blocks.size(), 100u);
    // Bytes that fill little of their buffer are copied: it stays with the reader.
    std::vector<char> roomy(1000, ' ');
    const char* kept = roomy.data();
    std::copy_n("few bytes\n", 10, roomy.begin());
    log.AppendAscii(roomy, roomy.data(), 10);
    EXPECT_EQ(kept, roomy.data());
    EXPECT_TRUE(Holds(disk, L"a.log", "few bytes"));
    // The writer has gone to sleep: each kind of text must still wake it.
    std::this_thread::sleep_for(50ms);
    log.AppendAscii("late bytes\n", 11);
    EXPECT_TRUE(Holds(disk, L"a.log", "late bytes"));
    std::this_thread::sleep_for(50ms);
    log.Append(L"late text\n");
    EXPECT_TRUE(Holds(disk, L"a.log", "late text"));
}

TEST(RunLog, TextWithoutAFileIsDroppedAndAWaitingFloodIsReleasedWhenTheLogIsTurnedOff) {
    Disk disk;
    RunLog log([&] { return std::unique_ptr<IFileWriter>(new DiskFiles(disk)); }, [] { return LogFileWriter::LocalTime{}; },
               1000);
    log.Append(L"before any file\n");
    log.Configure(L"a.log", 0, 0, nullptr);
    disk.Stick(true);
    std::thread flood([&] {
        for (int n = 0; n < 100; ++n) {
            log.Append(Numbered(n).c_str());
        }
    });
    std::this_thread::sleep_for(100ms);
    log.Configure(L"", 0, 0, nullptr);
    flood.join();  // would hang if the flood still waited for room
    disk.Stick(false);
    log.Configure(L"a.log", 0, 0, nullptr);
    log.Append(L"again\n");
    log.Flush();
    std::this_thread::sleep_for(100ms);
    std::lock_guard<std::mutex> hold(disk.lock);
    EXPECT_EQ(std::string::npos, disk.contents[L"a.log"].find("before"));
    EXPECT_NE(std::string::npos, disk.contents[L"a.log"].find("again"));
    EXPECT_LT(disk.contents[L"a.log"].size(), 30u * 126u);  // the lines after turning it off went nowhere
}

TEST(RunLog, OnAStuckDiskOwnLinesNeverWaitAndAChildsOutputStopsWaitingOnceGivenUp) {
    Disk disk;
    std::atomic<bool> givenUp(false);
    std::atomic<int> appended(0);
    {
        RunLog log([&] { return std::unique_ptr<IFileWriter>(new DiskFiles(disk)); },
                   [] { return LogFileWriter::LocalTime{}; }, 1000);
        log.SetGiveUp([&] { return givenUp.load(); });
        log.Configure(L"a.log", 0, 0, nullptr);
        disk.Stick(true);
        std::thread flood([&] {
            for (int n = 0; n < 100; ++n, ++appended) {
                log.Append(Numbered(n).c_str());
            }
        });
        std::this_thread::sleep_for(200ms);
        EXPECT_LT(appended.load(), 30) << "the child's output did not wait for the disk";
        auto own = std::async(std::launch::async, [&] { log.Append(L"Stopping: sent Ctrl+C\r\n", false); });
        EXPECT_EQ(std::future_status::ready, own.wait_for(2s)) << "an own line waited for the stuck disk";
        givenUp = true;
        for (int waited = 0; waited < 100 && appended.load() < 100; ++waited) {
            std::this_thread::sleep_for(50ms);
        }
        EXPECT_EQ(100, appended.load()) << "the output still waited after the stop";
        disk.Stick(false);
        flood.join();
    }
    EXPECT_NE(std::string::npos, disk.contents[L"a.log"].find("Stopping: sent Ctrl+C"));
    EXPECT_NE(std::string::npos, disk.contents[L"a.log"].find(" 99 "));  // nothing was dropped
}

}  // namespace
