// Root of the transport class tree: every operation but the destructor is pure.
#pragma once

#include <cstdint>

class CBaseClass {
public:
    virtual ~CBaseClass() = default;
    virtual int FlushInput() = 0;
    virtual int Send(const std::uint8_t* buf, int len) = 0;
    virtual int ReceiveByte(std::uint8_t* out) = 0;
    virtual std::uint16_t GetLocalPort() = 0;
    virtual const char* GetAddress() = 0;
    virtual std::uint16_t GetPort() = 0;

protected:
    CBaseClass() = default;
    CBaseClass(const CBaseClass&) = delete;
    CBaseClass& operator=(const CBaseClass&) = delete;
};
