#pragma once
// Real-I/O tests run on the programs' own event loop.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include "platform/qt/QtLoop.h"

namespace talvix::test {

class QtLoopFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "port_io_tests";
        static char* argv[] = { name, nullptr };
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
    }

    // Serves the loop until done() holds, at most a few seconds.
    bool serveUntil(const std::function<bool()>& done, Millis limit = Millis { 5000 })
    {
        return loop.serveUntil(done, limit);
    }
    // Serves the loop for a short while, for things that must not happen.
    void serveFor(Millis span)
    {
        loop.serveUntil([] { return false; }, span);
    }

    QtLoop loop;
};

} // namespace talvix::test
