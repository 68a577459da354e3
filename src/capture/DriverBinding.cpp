#include "capture/DriverBinding.h"

#include "res/resource.h"

namespace {

template <typename Function>
void Take(Function& member, DriverSymbol symbol) {
    member = reinterpret_cast<Function>(symbol);
}

DriverContext NoContext() {
    return nullptr;
}
void NoDestroy(DriverContext) {}
void NoFilter(DriverContext, DriverPredicate, unsigned short) {}
int NoWait(DriverContext, unsigned long) {
    return 0;
}
int NoReceive(DriverContext, int, Stroke*, unsigned int) {
    return 0;
}
int NoSend(DriverContext, int, const Stroke*, unsigned int) {
    return 0;
}
int NoDevice(int) {
    return 0;
}
unsigned int NoHardwareId(DriverContext, int, void*, unsigned int) {
    return 0;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

} // namespace

std::vector<std::string> BindDriverApi(DriverApi& api, const DriverSymbolLookup& lookup) {
    DriverSymbol found[kDriverFunctionNames.size()] = {};
    std::vector<std::string> missing;
    for (std::size_t i = 0; i < kDriverFunctionNames.size(); ++i) {
        found[i] = lookup(kDriverFunctionNames[i]);
        if (found[i] == nullptr)
            missing.emplace_back(kDriverFunctionNames[i]);
    }
    Take(api.create_context, found[0]);
    Take(api.destroy_context, found[1]);
    Take(api.set_filter, found[2]);
    Take(api.wait_with_timeout, found[3]);
    Take(api.receive, found[4]);
    Take(api.send, found[5]);
    Take(api.is_keyboard, found[6]);
    Take(api.is_mouse, found[7]);
    Take(api.get_hardware_id, found[8]);
    return missing;
}

const DriverApi& AbsentDriverApi() {
    static constexpr DriverApi api{NoContext, NoDestroy, NoFilter, NoWait,      NoReceive,
                                   NoSend,    NoDevice,  NoDevice, NoHardwareId};
    return api;
}

std::string DriverLibraryMessage(const DriverLibraryStatus& status, std::string_view architecture,
                                 const Texts& texts) {
    std::string reason;
    switch (status.state) {
    case DriverLibraryState::Bound:
        return {};
    case DriverLibraryState::Missing:
        reason = texts.Format(IDS_DRIVER_DLL_MISSING, {status.path});
        break;
    case DriverLibraryState::WrongArchitecture:
        reason = texts.Format(IDS_DRIVER_DLL_WRONG_ARCHITECTURE, {status.path, architecture});
        break;
    case DriverLibraryState::NotLoadable:
        reason = texts.Format(IDS_DRIVER_DLL_NOT_LOADED, {status.path, std::to_string(status.error)});
        break;
    case DriverLibraryState::MissingFunctions:
        reason = texts.Format(IDS_DRIVER_DLL_INCOMPLETE, {status.path, Joined(status.missing)});
        break;
    }
    return reason + "\n\n" + texts.Format(IDS_DRIVER_DLL_PLACE, {architecture, FolderOf(status.path)});
}
