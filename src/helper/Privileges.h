#pragma once

// Gives up every capability but CAP_BPF, which reading the counters still needs on some
// kernels, once the programs are attached. Root keeps what it has: it gains nothing here, and
// its /proc lookups of other root processes need the rest.
void keepOnlyBpfCapability();
