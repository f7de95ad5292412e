// Fire(deltaT) is not part of MMCore's API, so the adapter module is loaded
// here as MMCore loads it (dlopen, CreateDevice) and its shutter called
// directly, without a core behind it.
#include "simprocess_posix.h"

#include <MMDevice.h>
#include <ModuleInterface.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <dlfcn.h>
#include <string>
#include <thread>

namespace {

class Module
{
public:
    Module()
    {
        const char *dir = std::getenv("KIVRA_MM_ADAPTER_DIR");
        if (!dir) {
            return;
        }
        handle_ = ::dlopen((std::string(dir) + "/libmmgr_dal_Kivra.so.0").c_str(), RTLD_NOW);
        if (handle_) {
            create_ = reinterpret_cast<fnCreateDevice>(::dlsym(handle_, "CreateDevice"));
            delete_ = reinterpret_cast<fnDeleteDevice>(::dlsym(handle_, "DeleteDevice"));
        }
    }
    ~Module()
    {
        if (handle_) {
            ::dlclose(handle_);
        }
    }
    bool ok() const { return create_ && delete_; }
    MM::Shutter *create() { return static_cast<MM::Shutter *>(create_("KivraShutter")); }
    void destroy(MM::Device *device) { delete_(device); }

private:
    void *handle_ = nullptr;
    fnCreateDevice create_ = nullptr;
    fnDeleteDevice delete_ = nullptr;
};

std::string errorText(MM::Device &device, int code)
{
    char text[MM::MaxStrLength] = {0};
    device.GetErrorText(code, text);
    return text;
}

std::string property(MM::Device &device, const char *name)
{
    char value[MM::MaxStrLength] = {0};
    device.GetProperty(name, value);
    return value;
}

bool waitUntilClosed(MM::Shutter &shutter)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool open = true;
    while (std::chrono::steady_clock::now() < deadline) {
        // A read that misses its budget on a busy machine is asked again.
        if (shutter.GetOpen(open) == DEVICE_OK && !open) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

TEST(AdapterModule, FireRunsOneTimedOpeningInSingleModeOnly)
{
    Module module;
    ASSERT_TRUE(module.ok()) << ::dlerror();
    SimProcess sim(uniquePortName("MMFIRE"));
    ASSERT_TRUE(sim.ok());
    MM::Shutter *shutter = module.create();
    ASSERT_NE(shutter, nullptr);
    ASSERT_EQ(shutter->SetProperty("Port", sim.name().c_str()), DEVICE_OK);
    ASSERT_EQ(shutter->Initialize(), DEVICE_OK);

    // Manual mode: the controller would hold the shutter open, not time it.
    int code = shutter->Fire(60);
    EXPECT_NE(code, DEVICE_OK);
    EXPECT_NE(errorText(*shutter, code).find("in manual mode"), std::string::npos)
        << errorText(*shutter, code);
    bool open = true;
    ASSERT_EQ(shutter->GetOpen(open), DEVICE_OK);
    EXPECT_FALSE(open) << "a refused Fire must not move the shutter";

    ASSERT_EQ(shutter->SetProperty("Mode", "single"), DEVICE_OK);
    for (double tooShortOrLong : {19.4, 100000.6, -1.0}) {
        code = shutter->Fire(tooShortOrLong);
        EXPECT_NE(code, DEVICE_OK) << tooShortOrLong;
        EXPECT_NE(errorText(*shutter, code).find("20 to 100000 ms"), std::string::npos)
            << errorText(*shutter, code);
    }

    // Long enough that a busy machine still reads it open.
    const auto fired = std::chrono::steady_clock::now();
    ASSERT_EQ(shutter->Fire(2000.2), DEVICE_OK);
    EXPECT_TRUE(shutter->Busy() ||
                std::chrono::steady_clock::now() - fired >= std::chrono::seconds(2))
        << "busy for the fired time";
    ASSERT_EQ(shutter->GetOpen(open), DEVICE_OK);
    EXPECT_TRUE(open) << "the cycle starts open";
    EXPECT_EQ(property(*shutter, "OpenTime-ms"), "2000");
    EXPECT_TRUE(waitUntilClosed(*shutter)) << "the controller closes it after the open time";

    EXPECT_EQ(shutter->Shutdown(), DEVICE_OK);
    module.destroy(shutter);
}

TEST(AdapterModule, CallsBeforeInitialisationFailInsteadOfReachingAPort)
{
    Module module;
    ASSERT_TRUE(module.ok()) << ::dlerror();
    MM::Shutter *shutter = module.create();
    ASSERT_NE(shutter, nullptr);
    bool open = false;
    const int code = shutter->GetOpen(open);
    EXPECT_NE(code, DEVICE_OK);
    EXPECT_NE(errorText(*shutter, code).find("not initialised"), std::string::npos);
    EXPECT_NE(shutter->SetOpen(true), DEVICE_OK);
    EXPECT_NE(shutter->Fire(50), DEVICE_OK);
    module.destroy(shutter);
}

} // namespace
