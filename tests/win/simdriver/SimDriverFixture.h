#pragma once
// A simulated driver context with prepared devices, a free injection port and a record file, plus
// the injecting side of the socket.
#include "SimInjector.h"
#include "capture/InterceptionDriver.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

class SimDriverTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Makes the context from this device description; the record starts empty.
    void Open(const std::string& devices);
    void Close();
    void WriteDevices(const std::string& devices); // for the next Open or create_context

    void Inject(const std::string& line); // no answer
    std::string Ask(const std::string& line);
    // The record, after every earlier injection has been handled.
    std::vector<std::string> Record();
    std::string LogFilePath() const { return logPath_; }

    const DriverApi& api = InterceptionDriver();
    DriverContext context = nullptr;

private:
    std::string devicesPath_, logPath_;
    std::optional<SimInjector> injector_;
};
