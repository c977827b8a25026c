// The framework's menu object over an HMENU (the Win32 menu calls are in menu_api.h).
#pragma once

#include "platform/core/win32_types.h"
#include "platform/framework/menu_api.h"
#include "platform/framework/object.h"

#include <string>

class CWnd;

class CMenu : public CObject {
    DECLARE_DYNCREATE(CMenu)
  public:
    CMenu();
    ~CMenu() override; // destroys an attached menu

    HMENU m_hMenu;

    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }
    // A permanent object when one is attached to the handle, else a platform-owned one that
    // lives until the menu is destroyed.
    static CMenu* FromHandle(HMENU menu);

    BOOL Attach(HMENU menu);
    HMENU Detach();
    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    // From the resource chain (AfxFindResourceHandle), as the framework does.
    BOOL LoadMenu(UINT resourceId);
    BOOL LoadMenu(LPCSTR resourceName);
    BOOL DestroyMenu();

    CMenu* GetSubMenu(int position) const;
    UINT GetMenuItemCount() const;
    UINT GetMenuItemID(int position) const;
    int GetMenuString(UINT item, LPSTR text, int maxCount, UINT flags) const;
    int GetMenuString(UINT item, std::string& text, UINT flags) const;
    UINT GetMenuState(UINT item, UINT flags) const;
    BOOL AppendMenu(UINT flags, UINT_PTR idOrPopup = 0, LPCSTR text = nullptr);
    BOOL InsertMenu(UINT position, UINT flags, UINT_PTR idOrPopup = 0, LPCSTR text = nullptr);
    BOOL RemoveMenu(UINT position, UINT flags);
    BOOL DeleteMenu(UINT position, UINT flags);
    UINT EnableMenuItem(UINT item, UINT enable);
    UINT CheckMenuItem(UINT item, UINT check);
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const RECT* rect = nullptr);
};
