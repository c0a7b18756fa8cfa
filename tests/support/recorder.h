#pragma once

#include <dlfcn.h>

#include <string>
#include <vector>

namespace testing_support {

// The control functions of the recording stand-in, taken from the copy of it that the code
// under test has loaded.
class Recorder {
public:
    explicit Recorder(const std::string& path) {
        handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (handle_ == nullptr) return;
        reset_ = reinterpret_cast<void (*)()>(::dlsym(handle_, "recorder_reset"));
        setAnswer_ = reinterpret_cast<void (*)(const char*, std::size_t, bool)>(
            ::dlsym(handle_, "recorder_set_answer"));
        count_ = reinterpret_cast<std::size_t (*)()>(::dlsym(handle_, "recorder_count"));
        request_ =
            reinterpret_cast<const char* (*)(std::size_t)>(::dlsym(handle_, "recorder_request"));
        reset_();
    }
    ~Recorder() {
        if (handle_ != nullptr) ::dlclose(handle_);
    }
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    bool loaded() const { return handle_ != nullptr; }
    void SetAnswer(const std::string& bytes, bool terminate = true) {
        setAnswer_(bytes.data(), bytes.size(), terminate);
    }
    std::vector<std::string> Requests() const {
        std::vector<std::string> all;
        for (std::size_t i = 0, n = count_(); i < n; ++i) all.emplace_back(request_(i));
        return all;
    }

private:
    void* handle_ = nullptr;
    void (*reset_)() = nullptr;
    void (*setAnswer_)(const char*, std::size_t, bool) = nullptr;
    std::size_t (*count_)() = nullptr;
    const char* (*request_)(std::size_t) = nullptr;
};

}  // namespace testing_support
