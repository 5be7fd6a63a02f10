#pragma once

#include "NamespaceNetwork.h"

#include <QString>

// A namespace test that runs the traffic helper of this build: skipped where it is not built
// (or namespaces cannot be made), except under CI, which must run it.
class HelperNamespaceTest : public NetworkNamespaceTest {
protected:
    void SetUp() override {
        if (helperProgram().isEmpty()) {
            const char* reason = "vorn-traffic-helper is not built (needs clang, bpftool, "
                                 "libbpf-dev)";
            if (namespaceTestsMustRun())
                FAIL() << reason << " (CI must run this test)";
            GTEST_SKIP() << reason;
        }
        NetworkNamespaceTest::SetUp();
    }

    static QString helperProgram() { return QStringLiteral(VORN_HELPER_BINARY); }
};
