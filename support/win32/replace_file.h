#pragma once
// The one system call that swaps a saved temporary for the settings file, reachable by tests:
// Windows documents failures of ReplaceFileW after which the old file has already left its name
// (errors 1176 and 1177), which no test file system produces on demand.
#include <windows.h>

namespace kestrival {

using ReplaceFileFunction = BOOL(WINAPI*)(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags,
                                          LPVOID exclude, LPVOID reserved);

// Makes saves call `replace` instead of ReplaceFileW; returns the one used before.
ReplaceFileFunction SetReplaceFileForTesting(ReplaceFileFunction replace);

}  // namespace kestrival
