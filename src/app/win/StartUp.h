#pragma once

namespace qnv::app {

// Runs the whole program and returns its exit code (0) when the message loop has ended.
int startUp();

}  // namespace qnv::app
