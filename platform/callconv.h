#pragma once

// Calling convention of the payment library's entry: stdcall on 32-bit Windows, the
// platform's default everywhere else.
#if defined(_WIN32) && !defined(_WIN64)
#define CORVANE_CALL __stdcall
#else
#define CORVANE_CALL
#endif

// Marks a symbol a shared library exports.
#if defined(_WIN32)
#define CORVANE_EXPORT __declspec(dllexport)
#else
#define CORVANE_EXPORT __attribute__((visibility("default")))
#endif
