#pragma once

class TMyType;

// The big base opened the way the program opens it, once per run of a benchmark program.
TMyType& OpenedBigBase();
