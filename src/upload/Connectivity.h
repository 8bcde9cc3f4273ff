#pragma once

namespace upload {

/// Whether the machine has a network connection (IsWebConnected); tests replace it.
class Connectivity {
public:
    virtual ~Connectivity() = default;

    /// True when the machine is connected to a network. Throws nothing.
    virtual bool isWebConnected() = 0;
};

} // namespace upload
