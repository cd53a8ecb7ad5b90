#pragma once
// Test hook: the environment variable QUILLWORK_FAULT="throw@N" or "crash@N" makes tick N throw
// an exception or crash, so the failure path (log file, message, exit status) can be checked.

namespace qw {

void InjectFaultAtTick(int tick);

} // namespace qw
