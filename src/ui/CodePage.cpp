#include "ui/CodePage.h"

namespace qnv::ui {

bool isLeadByte(unsigned codePage, unsigned char byte) {
  switch (codePage) {
    case 932:
      return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950:
      return byte >= 0x81 && byte <= 0xFE;
    case 1361:
      return (byte >= 0x84 && byte <= 0xD3) || (byte >= 0xD8 && byte <= 0xDE) || (byte >= 0xE0 && byte <= 0xF9);
    default:
      return false;
  }
}

bool isSymbolLeadByte(unsigned codePage, unsigned char lead) {
  switch (codePage) {
    case 932: return lead >= 0x81 && lead <= 0x84;
    case 936: return lead >= 0xA1 && lead <= 0xA9;
    case 949: return lead >= 0xA1 && lead <= 0xAC;
    case 950: return lead >= 0xA1 && lead <= 0xA3;
    default: return false;
  }
}

std::size_t wholeCharacterPrefix(std::string_view bytes, unsigned codePage) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    if (!isLeadByte(codePage, static_cast<unsigned char>(bytes[i]))) {
      ++i;
    } else if (i + 1 < bytes.size()) {
      i += 2;
    } else {
      return i;
    }
  }
  return bytes.size();
}

}  // namespace qnv::ui
