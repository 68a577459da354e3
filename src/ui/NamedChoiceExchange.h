#pragma once
// Exchanges a setting kept by its name in the file with a drop-down list of the names the file
// uses. A name from a hand-edited file that is none of them selects nothing and is kept, so that
// the group's check names it.

#include "winfx/DataExchange.h"

#include <span>
#include <string>
#include <windows.h>

template <typename Choice, typename NameOf, typename Parse>
void ExchangeNamedChoice(CDataExchange* dx, int id, std::string& name, std::span<const Choice> choices,
                         NameOf nameOf, Parse parse) {
    if (dx->failed)
        return;
    const HWND list = dx->m_pDlg->GetDlgItem(id);
    if (!dx->m_bSaveAndValidate) {
        if (::SendMessageA(list, CB_GETCOUNT, 0, 0) == 0)
            for (Choice choice : choices)
                ::SendMessageA(list, CB_ADDSTRING, 0,
                               reinterpret_cast<LPARAM>(std::string(nameOf(choice)).c_str()));
        const auto parsed = parse(name);
        const std::string shown = parsed ? std::string(nameOf(*parsed)) : std::string();
        ::SendMessageA(list, CB_SETCURSEL,
                       static_cast<WPARAM>(::SendMessageA(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                          reinterpret_cast<LPARAM>(shown.c_str()))),
                       0);
        return;
    }
    const LRESULT selected = ::SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (selected >= 0 && static_cast<std::size_t>(selected) < choices.size())
        name = nameOf(choices[static_cast<std::size_t>(selected)]);
}
