// The first data bytes of every stand-in boot agent the generator writes.
// Stand-ins only have the agents' shape: a unit that started one would run
// random code. The marker lets a build, its packages and zyra tell them from
// the vendor's agents (in the agent text it shows as its hexadecimal digits).
#pragma once

inline constexpr char ZYRA_STAND_IN_AGENT_MARKER[] = "ZYRA STAND-IN AG";
