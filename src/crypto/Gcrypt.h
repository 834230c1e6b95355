#pragma once
// libgcrypt must be initialised once before any other call; every core routine that uses it
// calls this first.
namespace qnv::crypto {

// Initialises libgcrypt on first use (thread-safe); false when the library is unusable.
bool gcryptReady();

}  // namespace qnv::crypto
