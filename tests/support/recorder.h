#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

// The test's side of the recording stand-in (recording_paytrans.cpp): its files in the current
// directory, emptied when the recorder is made.
class Recorder {
public:
    Recorder() {
        std::filesystem::remove("recorder.requests");
        std::filesystem::remove("recorder.answer");
    }

    // The answer to every business request: `bytes` (NULs allowed), followed by a NUL unless
    // `terminate` is false.
    void SetAnswer(const std::string& bytes, bool terminate = true) const {
        if (FILE* f = std::fopen("recorder.answer", "wb")) {
            std::fputc(terminate ? '1' : '0', f);
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
    }

    std::vector<std::string> Requests() const {
        std::vector<std::string> all;
        FILE* f = std::fopen("recorder.requests", "rb");
        if (f == nullptr) return all;
        unsigned char length[4];
        while (std::fread(length, 1, 4, f) == 4) {
            std::size_t n = length[0] | length[1] << 8 | length[2] << 16 |
                            static_cast<std::size_t>(length[3]) << 24;
            std::string request(n, '\0');
            if (std::fread(request.data(), 1, n, f) != n) break;
            all.push_back(std::move(request));
        }
        std::fclose(f);
        return all;
    }
};

}  // namespace testing_support
