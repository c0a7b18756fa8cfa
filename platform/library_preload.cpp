#include <thread>

#include "platform/dynamic_library.h"

namespace platform {

struct LibraryPreload::State {
    std::thread thread;
    LibraryHandle handle = nullptr;
};

LibraryPreload::LibraryPreload(std::string path) : state_(new State) {
    state_->thread = std::thread([state = state_, path = std::move(path)] {
        LibraryError ignored;  // the later load reports
        state->handle = OpenLibrary(path, ignored);
    });
}

LibraryPreload::~LibraryPreload() {
    Release();
    delete state_;
}

void LibraryPreload::Release() {
    if (state_->thread.joinable()) state_->thread.join();
    CloseLibrary(state_->handle);
    state_->handle = nullptr;
}

}  // namespace platform
