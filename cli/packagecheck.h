// zyra package check: the pre-flight of every type's update run, recovery
// images included, on the package in the current folder. Touches no unit.
#pragma once

class Reporter;

// The exit status: 0 when every type's run would find its files sound.
int checkPackage(Reporter &reporter);
