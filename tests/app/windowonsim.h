// The main window shown beside a simulated controller, as the window suites
// start each test. The controller's port is SIM1 on Linux and a COM port
// under wine: portName() says which.
#ifndef KIVRA_TEST_WINDOWONSIM_H
#define KIVRA_TEST_WINDOWONSIM_H

#include "simulator.h"
#include "trovatest.h"
#include "zentowidget.h"

#include <QtTest>

#include <memory>

namespace trovatest {

class WindowOnSim
{
protected:
    // nullptr when both are up, else what failed.
    const char *startWindowOnSim()
    {
        sim = std::make_unique<kivrasim::Simulator>();
        if (!sim->start("SIM1", portDirectory().toStdString())) {
            return "the simulator did not start";
        }
        window = std::make_unique<ZentoWidget>();
        window->show();
        return QTest::qWaitForWindowExposed(window.get()) ? nullptr : "the window was not exposed";
    }
    QString portName() const { return QString::fromStdString(sim->portName()); }

    // The window goes first: it may still be talking to the port. The port
    // goes away as a removal notice tells the window, so its device is
    // closed: a COM port opens once at a time, and a later test of the same
    // process may be handed the same port.
    void stopWindowOnSim()
    {
        if (window && sim) {
            window->slot_serialPortRemoved(portName());
        }
        window.reset();
        sim.reset();
    }

    std::unique_ptr<kivrasim::Simulator> sim;
    std::unique_ptr<ZentoWidget> window;
};

} // namespace trovatest

#endif
