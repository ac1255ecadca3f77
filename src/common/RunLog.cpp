#include "common/RunLog.h"

#include <chrono>

RunLog::RunLog(FileFactory files, Clock clock, size_t queueUnits)
    : makeFiles(std::move(files)),
      clock(std::move(clock)),
      queueUnits(queueUnits),
      queuedUnits(0),
      spareBytes(0),
      roomKept(false),
      closing(false),
      writerWaiting(false) {}

RunLog::~RunLog() {
    {
        std::lock_guard<std::mutex> hold(lock);
        closing = true;
    }
    work.notify_all();
    space.notify_all();
    if (thread.joinable()) {
        thread.join();  // writes what is queued, then closes the file
    }
}

void RunLog::Configure(const std::wstring& path, uint64_t maxBytes, uint32_t backups, Reporter reporter) {
    std::shared_ptr<const Target> target;
    if (!path.empty()) {
        target = std::make_shared<const Target>(Target{path, maxBytes, backups, std::move(reporter)});
    }
    {
        std::lock_guard<std::mutex> hold(lock);
        bool same = target && configured ? target->path == configured->path && target->maxBytes == configured->maxBytes &&
                                               target->backups == configured->backups
                                         : !target && !configured;
        if (same) {
            return;
        }
        configured = target;
        logging = target != nullptr;
        // A switch not yet taken by the writer is replaced: changes in quick succession open one file.
        if (!queue.empty() && queue.back().kind == Piece::Switch) {
            queue.back().target = target;
        } else {
            queue.push_back(Piece{Piece::Switch, std::wstring(), LogFileWriter::LocalTime(), target, 0, {}, 0});
        }
        if (!thread.joinable()) {
            thread = std::thread([this] { Write(); });
        }
    }
    work.notify_one();
    space.notify_all();  // text waiting for room has nowhere to go when the log is turned off
}

void RunLog::SetGiveUp(std::function<bool()> check) {
    giveUp = std::move(check);
}

void RunLog::Enqueue(Piece piece, bool waitForRoom, const char* bytes, std::vector<char>* block) {
    std::unique_lock<std::mutex> hold(lock);
    // Waits until the piece fits; one larger than the whole queue goes alone. The wait looks at
    // giveUp now and then: a stop must not wait for a disk that no longer answers.
    auto fits = [&] {
        return !configured || closing || queuedUnits == 0 || queuedUnits + UnitsOf(piece) <= queueUnits;
    };
    while (waitForRoom && !space.wait_for(hold, std::chrono::milliseconds(50), fits)) {
        if (giveUp && giveUp()) {
            break;
        }
    }
    if (!configured || closing) {
        return;  // no file, or the log is going: the text has nowhere to go
    }
    bool halfFull = queuedUnits < queueUnits / 2 && queuedUnits + UnitsOf(piece) >= queueUnits / 2;
    queuedUnits += UnitsOf(piece);
    if (block) {
        piece.offset = static_cast<size_t>(bytes - block->data());
        piece.block.swap(*block);
        if (!spareBlocks.empty()) {
            block->swap(spareBlocks.back());
            spareBlocks.pop_back();
            spareBytes -= block->capacity();
        }
    } else {
        queueBytes.append(bytes ? bytes : "", piece.count);
    }
    queue.push_back(std::move(piece));
    // While the writer is busy with what it took, or lets a flood gather, it looks at the queue
    // again by itself: waking it for every read would cost a system call each. Half a queue
    // ends the gathering early, so that the reader never waits for room on a fast disk.
    bool wake = writerWaiting || halfFull;
    writerWaiting = false;
    hold.unlock();
    if (wake) {
        work.notify_one();
    }
}

void RunLog::Append(const wchar_t* text, bool waitForRoom) {
    if (text && *text && logging.load()) {
        Enqueue(Piece{Piece::Text, text, clock(), nullptr, 0, {}, 0}, waitForRoom);
    }
}

void RunLog::AppendAscii(const char* bytes, size_t count) {
    if (count > 0 && logging.load()) {
        Enqueue(Piece{Piece::Ascii, std::wstring(), clock(), nullptr, count, {}, 0}, true, bytes);
    }
}

void RunLog::AppendAscii(std::vector<char>& block, const char* bytes, size_t count) {
    // A block is queued only when the bytes fill half of it at least: the queue's bound counts
    // bytes, and a line a second in blocks of their own would hold memory without limit.
    if (block.empty() || count < block.capacity() / 2) {
        AppendAscii(bytes, count);
    } else if (logging.load()) {
        Enqueue(Piece{Piece::Ascii, std::wstring(), clock(), nullptr, count, {}, 0}, true, bytes, &block);
    }
}

void RunLog::Flush() {
    Enqueue(Piece{Piece::EndLine, std::wstring(), LogFileWriter::LocalTime(), nullptr, 0, {}, 0}, false);
}

void RunLog::SwitchTo(const std::shared_ptr<const Target>& target) {
    writer.reset();  // writes a line left open to the file it belongs to
    files.reset();
    if (target) {
        files = makeFiles();
        writer.reset(new LogFileWriter(*files, target->path, target->maxBytes, target->backups, target->reporter));
    }
}

void RunLog::WritePiece(const Piece& piece, size_t& at) {
    if (piece.kind == Piece::Switch) {
        SwitchTo(piece.target);
    } else if (writer && piece.kind == Piece::Text) {
        writer->Append(piece.text, piece.arrival, false);
    } else if (writer && piece.kind == Piece::Ascii) {
        const char* bytes = piece.block.empty() ? takenBytes.data() + at : piece.block.data() + piece.offset;
        writer->AppendAscii(bytes, piece.count, piece.arrival, false);
    } else if (writer && piece.kind == Piece::EndLine) {
        writer->Flush();
    }
    at += piece.block.empty() ? piece.count : 0;
}

void RunLog::KeepBlocks() {
    std::lock_guard<std::mutex> hold(lock);
    for (Piece& piece : taken) {
        if (!piece.block.empty() && spareBytes + piece.block.capacity() <= queueUnits) {
            spareBytes += piece.block.capacity();
            spareBlocks.push_back(std::move(piece.block));
        }
    }
}

void RunLog::Write() {
    for (;;) {
        {
            std::unique_lock<std::mutex> hold(lock);
            while (queue.empty() && !closing) {
                writerWaiting = true;
                // Room kept for a flood goes back once the output has been quiet for a while.
                auto idle = [this] { return !queue.empty() || closing; };
                if (!roomKept) {
                    work.wait(hold);
                } else if (!work.wait_for(hold, IdleTime, idle)) {
                    roomKept = false;
                    std::vector<std::vector<char>>().swap(spareBlocks);
                    spareBytes = 0;
                    std::string().swap(queueBytes);
                    std::string().swap(takenBytes);
                    std::vector<Piece>().swap(queue);
                    std::vector<Piece>().swap(taken);
                }
            }
            writerWaiting = false;
            if (queue.empty()) {
                break;  // closing, with everything written
            }
            // Woken by the first piece after a quiet spell, the writer lets a flood gather for a
            // moment instead of being woken for every read: each wake-up costs system calls that
            // compete with the reading of the pipe.
            work.wait_for(hold, GatherTime, [this] { return closing || queuedUnits >= queueUnits / 2; });
            taken.swap(queue);
            takenBytes.swap(queueBytes);
            queuedUnits = 0;
            roomKept = true;
        }
        space.notify_all();
        size_t at = 0;
        for (const Piece& piece : taken) {
            WritePiece(piece, at);
        }
        // What one wake-up took goes out in one write where it fits the buffer.
        if (writer) {
            writer->WriteBuffered();
        }
        KeepBlocks();
        taken.clear();
        takenBytes.clear();
        // A single piece far larger than the queue must not keep its room for the rest of the run.
        if (takenBytes.capacity() > 2 * queueUnits) {
            std::string().swap(takenBytes);
        }
    }
    SwitchTo(nullptr);
}
