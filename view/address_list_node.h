// AddressListNode: one element of the address list that the conversation window hands to
// the Matrix view with messages 3024 to 3027, two elements per chosen pair (the pair's
// first node's address, then its second's), in converted dotted-decimal form. The list
// stays the sender's.
#pragma once

#define ADDRESS_LIST_ADDRESS_SIZE 256

struct AddressListNode {
    char address[ADDRESS_LIST_ADDRESS_SIZE];
    AddressListNode* next;
};
