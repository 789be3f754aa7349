// One USB device node on umockdev's testbed whose usbfs ioctls a handler of
// the test answers: the plumbing the emulated devices share.
#pragma once

#include <functional>
#include <string>

#include <linux/usbdevice_fs.h>
#include <umockdev.h>

namespace zyra_umockdev {

usbdevfs_urb &urbOf(UMockdevIoctlData *data);
// Ends an ioctl with 0 or, for a non-zero errno, -1 and that errno.
void finishIoctl(UMockdevIoctlClient *client, int error);
// The capabilities libusb asks for right after opening the node.
void answerCapabilities(UMockdevIoctlClient *client, UMockdevIoctlData *arg);

class UsbfsNode
{
public:
    // Returns false for a request it leaves to umockdev.
    using Handler = std::function<bool(UMockdevIoctlClient *)>;

    // Creates the testbed, or joins the one of the nodes alive: only after
    // that may anyone ask umockdev whether the process runs under it (the
    // answer is cached).
    UsbfsNode(std::string sysPath, std::string devNode, std::string description, Handler handler);
    ~UsbfsNode();
    UsbfsNode(const UsbfsNode &) = delete;
    UsbfsNode &operator=(const UsbfsNode &) = delete;

    // The handler is attached before the add event lets libusb open; throws
    // naming what on failure.
    void add(const char *what);
    void remove();

private:
    static gboolean onIoctl(UMockdevIoctlBase *base, UMockdevIoctlClient *client, gpointer self);

    std::string sysPath_;
    std::string devNode_;
    std::string description_;
    Handler handler_;
    UMockdevTestbed *testbed_;
    UMockdevIoctlBase *ioctl_;
};

}  // namespace zyra_umockdev
