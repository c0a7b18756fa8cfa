// A loadable library that lacks the payment entry.
#include "platform/callconv.h"

extern "C" CORVANE_EXPORT int somethingElse() { return 1; }
