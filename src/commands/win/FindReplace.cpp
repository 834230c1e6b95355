#include "commands/win/FindReplace.h"

#include <commdlg.h>

#include <algorithm>

#include "crypto/EventPump.h"
#include "ui/win/Prompts.h"
#include "ui/win/Window.h"

namespace qnv::commands {
namespace {

// The longest selection taken over as the text to find.
constexpr size_t kLongestSelectionToFind = 128;

UINT findMessage() {
  static const UINT message = RegisterWindowMessageW(FINDMSGSTRING);
  return message;
}

std::u16string toU16(const wchar_t* text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text));
}
std::wstring toWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

SearchQuery queryOf(const FINDREPLACEW& request) {
  return {toU16(request.lpstrFindWhat), (request.Flags & FR_MATCHCASE) != 0, (request.Flags & FR_WHOLEWORD) != 0};
}
SearchDirection directionOf(const FINDREPLACEW& request) {
  return (request.Flags & FR_DOWN) ? SearchDirection::Down : SearchDirection::Up;
}

void sayNotFound(std::u16string_view needle) { ui::showMessage(L"找不到\"" + toWide(needle) + L"\""); }

}  // namespace

void foldWithSystemCase(std::u16string& text) {
  if (!text.empty()) CharUpperBuffW(reinterpret_cast<LPWSTR>(text.data()), static_cast<DWORD>(text.size()));
}

FindReplace::FindReplace(ui::EditorBox& box) : box_(box), request_(std::make_unique<FINDREPLACEW>()) {}

FindReplace::~FindReplace() {
  if (dialog_ && IsWindow(dialog_)) DestroyWindow(dialog_);
}

void FindReplace::showFind(HWND owner) { show(owner, false); }
void FindReplace::showReplace(HWND owner) { show(owner, true); }

void FindReplace::show(HWND owner, bool replace) {
  if (dialog_ && IsWindow(dialog_)) {
    if (dialogReplaces_ == replace) {
      SetForegroundWindow(dialog_);
      return;
    }
    DestroyWindow(dialog_);  // one of the two windows at a time
    dialog_ = nullptr;
  }
  std::u16string initial = last_.needle;
  const ui::TextRange selection = box_.selection();
  if (selection.end > selection.start && selection.end - selection.start <= kLongestSelectionToFind) {
    const std::u16string selected = box_.textOf(selection);
    if (selected.find_first_of(u"\r\n\v") == std::u16string::npos) initial = selected;
  }
  initial.resize(std::min(initial.size(), findText_.size() - 1));
  std::fill(findText_.begin(), findText_.end(), L'\0');
  std::copy(initial.begin(), initial.end(), findText_.begin());

  FINDREPLACEW& request = *request_;
  request = FINDREPLACEW{};
  request.lStructSize = sizeof request;
  request.hwndOwner = owner;
  request.Flags = FR_DOWN | (last_.matchCase ? FR_MATCHCASE : 0) | (last_.wholeWord ? FR_WHOLEWORD : 0);
  request.lpstrFindWhat = findText_.data();
  request.wFindWhatLen = static_cast<WORD>(findText_.size() * sizeof(wchar_t));
  request.lpstrReplaceWith = replaceText_.data();
  request.wReplaceWithLen = static_cast<WORD>(replaceText_.size() * sizeof(wchar_t));
  findMessage();
  dialog_ = replace ? ReplaceTextW(&request) : FindTextW(&request);
  dialogReplaces_ = replace;
  // The designed box hides its selection without the focus; the match found must be seen.
  if (dialog_) box_.setSelectionAlwaysShown(true);
}

void FindReplace::findAgain(HWND owner, SearchDirection direction) {
  if (last_.needle.empty()) {
    showFind(owner);
    return;
  }
  findNext(last_, direction);
}

bool FindReplace::handleMessage(UINT msg, LPARAM lParam) {
  if (msg != findMessage()) return false;
  const auto& request = *reinterpret_cast<const FINDREPLACEW*>(lParam);
  if (request.Flags & FR_DIALOGTERM) {
    dialog_ = nullptr;
    box_.setSelectionAlwaysShown(false);
    return true;
  }
  const SearchQuery query = queryOf(request);
  if (request.Flags & FR_FINDNEXT) {
    findNext(query, directionOf(request));
  } else if (request.Flags & FR_REPLACEALL) {
    replaceAll(query, toU16(request.lpstrReplaceWith));
  } else if (request.Flags & FR_REPLACE) {
    replaceCurrent(query, toU16(request.lpstrReplaceWith), directionOf(request));
  }
  return true;
}

void FindReplace::remember(const SearchQuery& query) { last_ = query; }

TextSearch FindReplace::searchOf(const SearchQuery& query) {
  box_.readText(textBuffer_);
  return TextSearch(textBuffer_, query, foldWithSystemCase);
}

bool FindReplace::findNext(const SearchQuery& query, SearchDirection direction) {
  remember(query);
  if (query.needle.empty()) return false;
  const FindOutcome outcome = findFrom(searchOf(query), box_.selection(), direction);
  if (!outcome.match) {
    sayNotFound(query.needle);
    return false;
  }
  if (outcome.wrapped) {
    ui::showMessage(direction == SearchDirection::Down ? L"已到达文档末尾，从头继续查找。"
                                                       : L"已到达文档开头，从末尾继续查找。");
  }
  box_.select(*outcome.match);
  return true;
}

void FindReplace::replaceCurrent(const SearchQuery& query, std::u16string_view replacement,
                                 SearchDirection direction) {
  remember(query);
  if (query.needle.empty()) return;
  if (searchOf(query).isMatch(box_.selection())) box_.replaceSelection(replacement);
  findNext(query, direction);
}

size_t FindReplace::replaceAll(const SearchQuery& query, std::u16string_view replacement) {
  remember(query);
  if (query.needle.empty()) return 0;
  const TextSearch search = searchOf(query);
  std::vector<ui::TextRange> ranges;
  for (size_t at : search.all()) ranges.push_back({at, at + search.needleLength()});
  if (ranges.empty()) {
    sayNotFound(query.needle);
    return 0;
  }
  {
    // Windows are repainted while a long replace runs, but take no input until it is done.
    ui::ProgramModality modality;
    crypto::EventPump pump(ui::processPendingEvents);
    box_.replaceRanges(ranges, replacement, [&pump] { pump.poll(); });
  }
  ui::showMessage(L"已替换 " + std::to_wstring(ranges.size()) + L" 处。");
  return ranges.size();
}

}  // namespace qnv::commands
