#!/usr/bin/env python3
"""The public-state counter on small classes: what it counts and what it leaves alone."""
import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
import count_public_state  # noqa: E402

CASES = [
    # (source, the members counted)
    ("struct Plain { int a; int b = 2; };", []),
    ("struct S { int a; void F(); };", ["a"]),
    ("class C { int a; public: C(); };", []),
    ("class C { public: int a, b; private: int c; void F(); };", ["a", "b"]),
    ("class C { public: static constexpr int kMax = 3; const int d = 1; void F(); };", []),
    ("class C { public: const char* text; void F(); };", ["text"]),
    ("class C { public: std::function<int()> hook; std::map<int, int> m{}; C(); };",
     ["hook", "m"]),
    ("class C { public: void (*callback)(int); int F() const { return 1; } };", ["callback"]),
    ("class C : public B {\n DECLARE_DYNAMIC(C)\n public:\n int x;\n void F(); };", ["x"]),
    ("class C { public: C() : a(1), b{2} {} int a; int b; };", ["a", "b"]),
    ("struct P { bool operator==(P o) const { return x == o.x; } void operator+=(P o); int x; };",
     ["x"]),
    ("class C { struct Inner { int hidden; void G(); }; public: void F(); };", ["hidden"]),
    ("template <class T> struct Box { T value; T Get() const { return value; } };", ["value"]),
    ("enum class E { A, B }; class C; struct stat st; void F(struct stat* s);", []),
]


class CountPublicStateTest(unittest.TestCase):
    def test_cases(self):
        for source, expected in CASES:
            found = [member for _, _, _, member in count_public_state.scan_file("x.h", source)]
            self.assertEqual(found, expected, source)


if __name__ == "__main__":
    unittest.main()
