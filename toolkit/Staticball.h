#pragma once

// Staticball: a light that is always a ball.

#include "toolkit/Lights.h"

class Staticball : public Lights {
public:
    void SetShape(LightShape /*shape*/) override {}
};
