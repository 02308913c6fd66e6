#pragma once

#include "world/Object.h"

/// The storm cloud shown above a lightning bolt.
class LightningCloud : public nv::Object {
public:
    /// A spectral cloud at position, on the top layer.
    explicit LightningCloud(nv::Vector position);
};
