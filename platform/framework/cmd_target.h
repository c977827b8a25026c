// CCmdTarget: the owner of a message map. A message map is a table of entries, each with
// a cracker that unpacks wParam/lParam once and calls the handler with typed arguments;
// the tables of a class and its bases form a chain searched from the most derived class.
#pragma once

#include "platform/framework/object.h"

class CCmdTarget;

// Unpacks the parameters, calls the handler and answers the message's result.
typedef LRESULT (*AFX_MSG_CRACKER)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;   // WM_COMMAND and WM_NOTIFY: notification code
    UINT nID;     // WM_COMMAND and WM_NOTIFY: first control or command id
    UINT nLastID; // ... and last one
    AFX_MSG_CRACKER pfnCracker;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
  public:
    CCmdTarget() = default;

    // The entry that handles the message, searching this class's map and then its bases'.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, WPARAM wParam, LPARAM lParam) const;

  protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

#define DECLARE_MESSAGE_MAP()                                                                      \
  protected:                                                                                       \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const {                                            \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        using ThisClass [[maybe_unused]] = theClass;                                               \
        using TheBaseClass = baseClass;                                                            \
        static const AFX_MSGMAP_ENTRY messageEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
    { 0, 0, 0, 0, nullptr }                                                                        \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &messageEntries[0]};   \
    return &messageMap;                                                                            \
    }
