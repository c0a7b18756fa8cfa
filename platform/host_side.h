#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// What corvane-host needs of the OS around the payment library it holds.

// The program's arguments as UTF-8, whatever the ANSI code page (on Windows they are read as
// UTF-16, so that a folder with Chinese characters survives).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// The protocol's streams, taken off standard input and output so that a library that reads
// or prints cannot touch them: afterwards standard input reads nothing and standard output
// goes where standard error goes.
class ProtocolChannel {
public:
    static ProtocolChannel TakeStandardStreams();

    // Reads exactly `size` bytes; false at the end of the stream or on an error.
    bool Read(void* buffer, std::size_t size) const;
    // Writes every byte; false on an error. Safe to call from a crash handler.
    bool Write(const void* bytes, std::size_t size) const;

private:
    // Descriptors on POSIX, handles on Windows.
    std::intptr_t in_ = -1;
    std::intptr_t out_ = -1;
};

// Calls `report` (which must be async-signal-safe) when this process crashes, with the signal
// number, or the exception code on Windows (`windowsException` true); the process then ends as
// the crash would have ended it. Also covers a stack overflow and abort(), and keeps the system
// from showing dialogs or starting a debugger instead.
void ReportCrashes(void (*report)(unsigned code, bool windowsException));

// `size` zero-filled bytes with an inaccessible page right after the last one, so that a
// library writing past the buffer it was given crashes instead of corrupting memory.
class GuardedBuffer {
public:
    explicit GuardedBuffer(std::size_t size);
    ~GuardedBuffer();
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    // Null when the memory could not be had.
    char* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    void* mapping_ = nullptr;
    std::size_t mappingSize_ = 0;
    char* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace platform
