// A conversion module that lacks its entry point.
extern "C" __attribute__((visibility("default"))) int ConvertSomethingElse() {
    return 0;
}
