// Binding the driver table by the library's exported names, and what the user is told when the
// library is missing or unusable.
#include "capture/DriverBinding.h"

#include "FakeTexts.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <map>

namespace {

template <int N>
void Marker() {}

// A library exporting a distinct function under each name but the left-out ones.
std::map<std::string, DriverSymbol> Library(std::initializer_list<const char*> leftOut = {}) {
    std::map<std::string, DriverSymbol> exports{
        {"interception_create_context", Marker<0>},  {"interception_destroy_context", Marker<1>},
        {"interception_set_filter", Marker<2>},      {"interception_wait_with_timeout", Marker<3>},
        {"interception_receive", Marker<4>},         {"interception_send", Marker<5>},
        {"interception_is_keyboard", Marker<6>},     {"interception_is_mouse", Marker<7>},
        {"interception_get_hardware_id", Marker<8>}, {"interception_extra", Marker<9>},
    };
    for (const char* name : leftOut)
        exports.erase(name);
    return exports;
}

DriverSymbolLookup LookupIn(const std::map<std::string, DriverSymbol>& exports) {
    return [&exports](const char* name) {
        const auto found = exports.find(name);
        return found == exports.end() ? nullptr : found->second;
    };
}

template <typename Function>
DriverSymbol AsSymbol(Function f) {
    return reinterpret_cast<DriverSymbol>(f);
}

TEST(DriverBinding, EachMemberGetsTheFunctionOfItsOwnName) {
    const auto exports = Library();
    DriverApi api{};
    EXPECT_TRUE(BindDriverApi(api, LookupIn(exports)).empty());
    EXPECT_EQ(AsSymbol(api.create_context), Marker<0>);
    EXPECT_EQ(AsSymbol(api.destroy_context), Marker<1>);
    EXPECT_EQ(AsSymbol(api.set_filter), Marker<2>);
    EXPECT_EQ(AsSymbol(api.wait_with_timeout), Marker<3>);
    EXPECT_EQ(AsSymbol(api.receive), Marker<4>);
    EXPECT_EQ(AsSymbol(api.send), Marker<5>);
    // The predicates the filters are set with are the library's own.
    EXPECT_EQ(AsSymbol(api.is_keyboard), Marker<6>);
    EXPECT_EQ(AsSymbol(api.is_mouse), Marker<7>);
    EXPECT_EQ(AsSymbol(api.get_hardware_id), Marker<8>);
}

TEST(DriverBinding, EveryMissingNameIsReportedInTableOrder) {
    const auto exports = Library({"interception_get_hardware_id", "interception_create_context"});
    DriverApi api{};
    EXPECT_EQ(BindDriverApi(api, LookupIn(exports)),
              (std::vector<std::string>{"interception_create_context", "interception_get_hardware_id"}));
}

TEST(DriverBinding, WithoutTheLibraryNoContextIsEverMade) {
    const DriverApi& absent = AbsentDriverApi();
    EXPECT_EQ(absent.create_context(), nullptr);
    EXPECT_EQ(absent.is_keyboard(1), 0);
    EXPECT_EQ(absent.is_mouse(11), 0);
    ClearBothFilters(absent, nullptr); // harmless
}

TEST(DriverLibraryMessage, NamesTheFileWhatIsWrongAndWhereTheRightOneBelongs) {
    const FakeTexts texts{{IDS_DRIVER_DLL_MISSING, "missing %1"},
                          {IDS_DRIVER_DLL_WRONG_ARCHITECTURE, "wrong %1 not %2"},
                          {IDS_DRIVER_DLL_NOT_LOADED, "refused %1 error %2"},
                          {IDS_DRIVER_DLL_INCOMPLETE, "incomplete %1 lacks %2"},
                          {IDS_DRIVER_DLL_PLACE, "place %1 in %2"}};
    const std::string path = "C:\\Program Files\\kvRemote\\interception.dll";
    const std::string place = "\n\nplace x64 in C:\\Program Files\\kvRemote";
    struct Case {
        DriverLibraryStatus status;
        std::string message;
    } cases[] = {
        {{DriverLibraryState::Bound, path, 0, {}}, ""},
        {{DriverLibraryState::Missing, path, 126, {}}, "missing " + path + place},
        {{DriverLibraryState::WrongArchitecture, path, 193, {}}, "wrong " + path + " not x64" + place},
        {{DriverLibraryState::NotLoadable, path, 5, {}}, "refused " + path + " error 5" + place},
        {{DriverLibraryState::MissingFunctions, path, 0, {"interception_send", "interception_is_mouse"}},
         "incomplete " + path + " lacks interception_send, interception_is_mouse" + place},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DriverLibraryMessage(c.status, "x64", texts), c.message);
}

} // namespace
