// AddressListNode: one element of the address list that the conversation window hands to
// the Matrix view with WM_MATRIX_UTILIZATION, WM_MATRIX_BYTES and WM_MATRIX_PACKETS. The
// list holds two elements per chosen pair, the pair's first node's address and then its
// second's, in dotted decimal ("0.160.201.18.52.86"). It stays the sender's.
#pragma once

#define ADDRESS_TEXT_SIZE 256

struct AddressListNode {
    char m_address[ADDRESS_TEXT_SIZE] = "";
    AddressListNode* m_next = nullptr;
};
