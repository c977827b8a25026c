#include "platform/framework/rect.h"

#include "platform/core/win32_user.h"

#include <algorithm>

void CRect::NormalizeRect() {
    if (left > right) {
        std::swap(left, right);
    }
    if (top > bottom) {
        std::swap(top, bottom);
    }
}

BOOL CRect::IntersectRect(LPCRECT rect1, LPCRECT rect2) {
    return ::IntersectRect(this, rect1, rect2);
}

BOOL CRect::UnionRect(LPCRECT rect1, LPCRECT rect2) {
    return ::UnionRect(this, rect1, rect2);
}

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom) {
    if (rect == nullptr) {
        return FALSE;
    }
    *rect = RECT{left, top, right, bottom};
    return TRUE;
}

BOOL SetRectEmpty(LPRECT rect) {
    return SetRect(rect, 0, 0, 0, 0);
}

BOOL CopyRect(LPRECT dst, const RECT* src) {
    if (dst == nullptr || src == nullptr) {
        return FALSE;
    }
    *dst = *src;
    return TRUE;
}

BOOL IsRectEmpty(const RECT* rect) {
    return rect == nullptr || rect->left >= rect->right || rect->top >= rect->bottom;
}

BOOL PtInRect(const RECT* rect, POINT point) {
    if (rect == nullptr) {
        return FALSE;
    }
    return point.x >= rect->left && point.x < rect->right && point.y >= rect->top &&
           point.y < rect->bottom;
}

BOOL InflateRect(LPRECT rect, int dx, int dy) {
    if (rect == nullptr) {
        return FALSE;
    }
    *rect = RECT{rect->left - dx, rect->top - dy, rect->right + dx, rect->bottom + dy};
    return TRUE;
}

BOOL OffsetRect(LPRECT rect, int dx, int dy) {
    if (rect == nullptr) {
        return FALSE;
    }
    *rect = RECT{rect->left + dx, rect->top + dy, rect->right + dx, rect->bottom + dy};
    return TRUE;
}

// An empty intersection leaves an empty (all-zero) rectangle and answers FALSE, as Windows.
BOOL IntersectRect(LPRECT dst, const RECT* src1, const RECT* src2) {
    if (dst == nullptr || src1 == nullptr || src2 == nullptr) {
        return FALSE;
    }
    RECT result = {std::max(src1->left, src2->left), std::max(src1->top, src2->top),
                   std::min(src1->right, src2->right), std::min(src1->bottom, src2->bottom)};
    if (IsRectEmpty(&result)) {
        SetRectEmpty(dst);
        return FALSE;
    }
    *dst = result;
    return TRUE;
}

// An empty rectangle takes no part in a union.
BOOL UnionRect(LPRECT dst, const RECT* src1, const RECT* src2) {
    if (dst == nullptr || src1 == nullptr || src2 == nullptr) {
        return FALSE;
    }
    bool empty1 = IsRectEmpty(src1);
    bool empty2 = IsRectEmpty(src2);
    if (empty1 && empty2) {
        SetRectEmpty(dst);
        return FALSE;
    }
    if (empty1 || empty2) {
        *dst = empty1 ? *src2 : *src1;
        return TRUE;
    }
    *dst = RECT{std::min(src1->left, src2->left), std::min(src1->top, src2->top),
                std::max(src1->right, src2->right), std::max(src1->bottom, src2->bottom)};
    return TRUE;
}

BOOL EqualRect(const RECT* rect1, const RECT* rect2) {
    if (rect1 == nullptr || rect2 == nullptr) {
        return FALSE;
    }
    return rect1->left == rect2->left && rect1->top == rect2->top && rect1->right == rect2->right &&
           rect1->bottom == rect2->bottom;
}
