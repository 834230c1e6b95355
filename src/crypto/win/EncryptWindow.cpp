#include "crypto/win/EncryptWindow.h"

namespace qnv {

void runEncryptWindow(EditorWindow&) {}

}  // namespace qnv
