#pragma once

namespace qnv {

// Runs the whole program and returns 0 when the message loop has ended.
int startUp();

}  // namespace qnv
