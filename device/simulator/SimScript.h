// The simulator's timed scripts: parsing the text into actions (format in DalvexSimulator.h).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace dalvexsim {

enum class TActionKind { Plug, Unplug, Call, Levels, Fail, Repeat, Disconnect };

struct TAction {
    unsigned AtMs = 0;
    TActionKind Kind = TActionKind::Unplug;
    // Plug: model, serial. Call: line, number and, when given, date-time and other text.
    // Levels: four to eight level texts.
    std::vector<std::wstring> Args;
    HRESULT Code = S_OK; // Fail
    // Fail: the method whose next call fails ("Visible", "Start", "GetInfo", "ShowSettings"; empty
    // for whichever comes first) and, for GetInfo, the name asked for (empty for any).
    std::wstring Method;
    std::wstring InfoName;
    // Fail: the failure stays armed, failing every such call instead of the next one only.
    bool Always = false;
    int SourceLine = 0;
};

struct TScript {
    // In the order they run: by time, then as written. A repeat, if any, is the last action.
    std::vector<TAction> Actions;
    // "at create": run when the control is made, before its host's first call (AtMs is 0).
    std::vector<TAction> AtCreate;
};

// Parses a whole script. Every line that cannot be used is left out and described in
// `problems` as "line <n>: <what>"; the rest still makes a script.
TScript ParseScript(const std::wstring& text, std::vector<std::wstring>& problems);

// Splits one line into words: blanks separate, double quotes group ("" is a quote).
// Returns false (with `problem` set) for an unterminated quote.
bool SplitWords(const std::wstring& line, std::vector<std::wstring>& words, std::wstring& problem);

} // namespace dalvexsim
