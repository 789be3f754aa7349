#include "zyra_sim/facet_remote.h"

#include "facet_access.h"
#include "model_lock.h"

namespace zyra_sim {

using Impl = VirtualUnit::Impl;

std::vector<uint8_t> RemoteFacet::keys() const
{
    return lockedRead(modelOf(this), &Impl::keys);
}

int RemoteFacet::registrationCount() const
{
    return lockedRead(modelOf(this), &Impl::registrations);
}

PairingStage RemoteFacet::pairingStage() const
{
    ModelLock lock = lockModel();
    if (modelOf(this).menu != Impl::Menu::Pairing)
        return PairingStage::Idle;
    return modelOf(this).menuSelects < Impl::selectsBeforeConfirmation ? PairingStage::Started
                                                                       : PairingStage::AwaitingConfirmation;
}

bool RemoteFacet::paired() const
{
    return lockedRead(modelOf(this), &Impl::paired);
}

}  // namespace zyra_sim
