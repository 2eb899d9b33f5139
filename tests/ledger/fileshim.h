#pragma once

// Stands in for the C library's file calls in this test program, so that a save can be stopped at
// any one of its operations: the process killed there (as by kill -9) or the call failing as a full
// or broken disk makes it fail. Counting is shared between a parent and the children it forks.
namespace fileshim {

enum class TMode { Off, Count, Kill, Fail };

// From now on every file operation counts; the one with this number (from 1) is where Kill or Fail
// strikes.
void Arm(TMode mode, long at = 0);
void Disarm();
// Operations counted since Arm.
long Counted();
// The operation that struck, or 0.
long Struck();
// What the struck operation was ("write", "rename", ...).
const char* StruckName();

} // namespace fileshim
