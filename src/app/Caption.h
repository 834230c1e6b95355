#pragma once
// The editor window's caption texts.
#include <string>
#include <string_view>

namespace qnv::app {

// U+3000 is the ideographic blank.
inline constexpr std::string_view kDesignedCaption = "\u3000\u3000qvn-编辑器";
inline constexpr std::string_view kTitleText = "\u3000\u3000qvn-编辑器\u3000\u3000当前长度为:";

// displayName + the title text + lengthText, joined without separators.
inline std::string captionText(std::string_view displayName, std::string_view lengthText) {
  std::string caption(displayName);
  caption += kTitleText;
  caption += lengthText;
  return caption;
}

}  // namespace qnv::app
