// A working folder laid out like the program's (the sample package in
// "firmware" and "firmware2k", the stand-in dfu-programmer in "utils", the
// video module's shared state in "state") with the virtual bus set up for
// one unit of a device type. The program under test runs inside it.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>

#include "xmega_state.h"
#include "zyra_sim/virtual_unit.h"

namespace guitest {

class Workspace
{
public:
    Workspace();
    ~Workspace();
    Workspace(const Workspace &) = delete;
    Workspace &operator=(const Workspace &) = delete;

    bool isValid() const { return valid; }
    QString path(const QString &relative) const;
    bool removeFile(const QString &relative);
    bool writeFile(const QString &relative, const QByteArray &content);

    // A unit of that device type: for a type with a video module the XMEGA
    // waits in its DFU bootloader with an older image ("FWv1.3") and the
    // radio side appears once it runs; when withRadio is false the radio
    // side never answers. The flasher is Debian's 0.6.1, whose check of the
    // EEPROM fails: every update of a video module ends with its note.
    std::shared_ptr<zyra_sim::VirtualUnit> prepareUnit(int deviceType, bool withRadio = true);
    std::shared_ptr<zyra_sim::VirtualUnit> attachRadio(int deviceType);
    zyra_dfu::XmegaState xmega() const;

private:
    QTemporaryDir directory;
    QString previousDirectory;
    QByteArray previousPath;
    bool valid = false;
};

}  // namespace guitest
