// Single-value entry for pages and dialogs: a number in a range, a short text,
// one item of a list, a file to open or save. Titles and prompts come already
// translated.
#pragma once

#include "platform/ui/CWnd.h"

#include <string>
#include <vector>

// Asks until the operator enters a whole number within minimum..maximum (in
// either order) or cancels. Unit letters expand at their first occurrence
// (g/G nine zeros, m/M six, k/K three); "0x" reads hexadecimal; an empty text
// is 0. `value` changes only when true is returned.
bool EnterNumber(int& value, int minimum, int maximum, const std::string& prompt,
                 const std::string& lengthTemplate);

// At most 16 characters; true and the text on OK.
bool EnterText(const std::string& title, const std::string& prompt, const std::string& initialText,
               std::string& result, int windowWidth, int lineCount, win::CWnd* parent);

// At most 512 items; true and the index on OK or on a choice from the list.
bool ChooseFromList(int current, const std::vector<std::string>& items, const std::string& title,
                    const std::string& prompt, int count, int& selected, win::CWnd* parent);

// The platform's file dialogs: open requires the file to exist, save its
// folder. True and the full path on OK.
bool ChooseFileToOpen(std::string& path, const std::string& initialFolder,
                      const std::string& defaultExtension, const std::string& title,
                      const std::string& fileName, const std::string& filter);
bool ChooseFileToSave(std::string& path, const std::string& initialFolder,
                      const std::string& defaultExtension, const std::string& title,
                      const std::string& fileName, const std::string& filter);

// The steps of EnterNumber, apart for testing: the unit letters expanded, and
// the text read as strtol does in base 16 after "0x", else base 10, with
// the whole text used (false otherwise); values beyond 32 bits are clamped.
std::string ExpandUnitLetters(const std::string& text);
bool ParseEntryNumber(const std::string& text, int& number);
