#include "usbfs_node.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

namespace zyra_umockdev {

usbdevfs_urb &urbOf(UMockdevIoctlData *data)
{
    return *reinterpret_cast<usbdevfs_urb *>(data->data);
}

void finishIoctl(UMockdevIoctlClient *client, int error)
{
    umockdev_ioctl_client_complete(client, error ? -1 : 0, error);
}

void answerCapabilities(UMockdevIoctlClient *client, UMockdevIoctlData *arg)
{
    UMockdevIoctlData *caps = umockdev_ioctl_data_resolve(arg, 0, sizeof(uint32_t), nullptr);
    const uint32_t value = USBDEVFS_CAP_NO_PACKET_SIZE_LIM | USBDEVFS_CAP_REAP_AFTER_DISCONNECT;
    std::memcpy(caps->data, &value, sizeof value);
    umockdev_ioctl_data_unref(caps);
    finishIoctl(client, 0);
}

namespace {

// One testbed for every node alive at once: a second testbed would point
// UMOCKDEV_DIR elsewhere, and the first one's devices would vanish from view.
UMockdevTestbed *sharedTestbed()
{
    static UMockdevTestbed *shared = nullptr;  // cleared when the last node lets go
    if (shared)
        return static_cast<UMockdevTestbed *>(g_object_ref(shared));
    shared = umockdev_testbed_new();
    g_object_add_weak_pointer(G_OBJECT(shared), reinterpret_cast<gpointer *>(&shared));
    return shared;
}

}  // namespace

UsbfsNode::UsbfsNode(std::string sysPath, std::string devNode, std::string description, Handler handler)
    : sysPath_(std::move(sysPath)),
      devNode_(std::move(devNode)),
      description_(std::move(description)),
      handler_(std::move(handler)),
      testbed_(sharedTestbed()),
      ioctl_(umockdev_ioctl_base_new())
{
    g_signal_connect_after(ioctl_, "handle-ioctl", G_CALLBACK(&UsbfsNode::onIoctl), this);
}

UsbfsNode::~UsbfsNode()
{
    g_object_unref(testbed_);
    g_object_unref(ioctl_);
}

void UsbfsNode::add(const char *what)
{
    GError *error = nullptr;
    if (!umockdev_testbed_attach_ioctl(testbed_, devNode_.c_str(), ioctl_, &error) ||
        !umockdev_testbed_add_from_string(testbed_, description_.c_str(), &error)) {
        const std::string message = error ? error->message : "unknown error";
        g_clear_error(&error);
        throw std::runtime_error(std::string("umockdev could not add ") + what + ": " + message);
    }
}

void UsbfsNode::remove()
{
    umockdev_testbed_uevent(testbed_, sysPath_.c_str(), "remove");
    umockdev_testbed_remove_device(testbed_, sysPath_.c_str());
    umockdev_testbed_detach_ioctl(testbed_, devNode_.c_str(), nullptr);
}

gboolean UsbfsNode::onIoctl(UMockdevIoctlBase *, UMockdevIoctlClient *client, gpointer self)
{
    return static_cast<UsbfsNode *>(self)->handler_(client);
}

}  // namespace zyra_umockdev
