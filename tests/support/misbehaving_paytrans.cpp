// A payment library that misbehaves on demand, for the tests of the library host. The file
// "misbehave" in the current directory says when and how: "push WHAT" or "request WHAT", with
// WHAT one of crash, abort, exit, hang, overflow, stack, print. Otherwise it answers
// {"code":"0"}.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "common/pay_contract.h"

namespace {

std::string Misbehaviour(bool push) {
    FILE* f = std::fopen("misbehave", "rb");
    if (f == nullptr) return {};
    char line[64] = {};
    std::size_t n = std::fread(line, 1, sizeof line - 1, f);
    std::fclose(f);
    std::string text(line, n);
    std::string when = push ? "push " : "request ";
    if (text.rfind(when, 0) != 0) return {};
    text = text.substr(when.size());
    return text.substr(0, text.find_first_of("\r\n"));
}

int Recurse(int depth) {
    volatile char frame[1024];
    frame[0] = static_cast<char>(depth);
    return Recurse(depth + 1) + frame[0];
}

}  // namespace

extern "C" CORVANE_EXPORT int CORVANE_CALL payTrans(const char* request, char* response) {
    bool push = std::strstr(request, "\"hop.trade.setinfo\"") != nullptr;
    std::string what = Misbehaviour(push);
    if (what == "crash") *static_cast<volatile int*>(nullptr) = 1;
    if (what == "abort") std::abort();
    if (what == "exit") std::exit(3);
    if (what == "hang")
        for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
    if (what == "overflow")  // past the end of the buffer it was given
        std::memset(response, 'x', (push ? kSettingsResponseSize : kResponseBufferSize) + 64);
    if (what == "stack") return Recurse(0);
    if (what == "print") {
        std::printf("vendor library says hello on stdout\n");
        std::fflush(stdout);
        std::fprintf(stderr, "vendor library says hello on stderr\n");
    }
    std::strcpy(response, "{\"code\":\"0\"}");
    return 0;
}
