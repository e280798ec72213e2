// The IP helper's notification of unicast address changes. The resume from sleep comes
// from the window's power broadcast (machine_resumed).
#include "base/system/network_changes.h"

#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>
#include <netioapi.h>

namespace velmora {

namespace {

class AddressWatch : public NetworkChangeWatch {
  public:
    explicit AddressWatch(Listener listener) : NetworkChangeWatch(std::move(listener)) {
        // Wine accepts the registration without a handle (and never calls back).
        registered_ = NotifyUnicastIpAddressChange(AF_UNSPEC, &AddressWatch::on_change, this, FALSE,
                                                   &handle_) == NO_ERROR;
    }

    ~AddressWatch() override {
        // Waits for a callback in progress, so none runs on a destroyed watch.
        if (registered_ && handle_ != nullptr) {
            CancelMibChangeNotify2(handle_);
        }
    }

    bool hears_addresses() const override { return registered_; }

  private:
    static void WINAPI on_change(void* context, MIB_UNICASTIPADDRESS_ROW*, MIB_NOTIFICATION_TYPE) {
        static_cast<AddressWatch*>(context)->changed();
    }

    HANDLE handle_ = nullptr;
    bool registered_ = false;
};

}  // namespace

std::unique_ptr<NetworkChangeWatch> watch_network_changes(NetworkChangeWatch::Listener listener) {
    return std::make_unique<AddressWatch>(std::move(listener));
}

}  // namespace velmora
