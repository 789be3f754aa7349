// How a facet of VirtualUnit reaches the unit it is part of and its model.
// Every scripting call locks the model (model_lock.h) before it touches it.
#pragma once

#include "unit_impl.h"
#include "zyra_sim/virtual_unit.h"

namespace zyra_sim {

template <class Facet>
VirtualUnit &unitOf(const Facet *facet)
{
    return const_cast<VirtualUnit &>(static_cast<const VirtualUnit &>(*facet));
}

template <class Facet>
VirtualUnit::Impl &modelOf(const Facet *facet)
{
    return unitOf(facet).impl();
}

}  // namespace zyra_sim
