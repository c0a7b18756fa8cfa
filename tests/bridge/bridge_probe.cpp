#include <cstdio>

#include "bridge/pay_library.h"

int main() {
    CPayLibrary library([](const LoadFailure& failure) {
        std::printf("failure %d %s\n", failure.code, failure.path.c_str());
    });
    bool loaded = library.Load();
    std::printf("loaded %d\n", loaded ? 1 : 0);
    TransactResult result = library.Transact("{\"transType\":\"probe\"}");
    std::printf("answer %s\n", result.text.c_str());
    return 0;
}
