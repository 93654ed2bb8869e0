#pragma once
// What the port object needs of the file-transfer engine bound to its serial/network port
// (TXmProtocol, or a test double).

#include <string>

#include "port/PortTypes.h"

namespace talvix {

class ProtocolBackend {
public:
    virtual ~ProtocolBackend() = default;

    virtual std::string FileName() const = 0;
    virtual void SetFileName(const std::string& name) = 0;
    virtual std::string FileMask() const = 0;
    virtual void SetFileMask(const std::string& mask) = 0;
    virtual TProtocolType ProtocolType() const = 0;
    virtual void SetProtocolType(TProtocolType type) = 0;

    virtual void StartReceive() = 0;
    virtual void StartTransmit() = 0;
    virtual void CancelProtocol() = 0;
    virtual bool InProgress() const = 0;
    virtual int BytesTransferred() const = 0;
    virtual int RecordsTransferred() const = 0;

    virtual void SetOnProtocolFinish(ProtocolFinishEvent handler) = 0;
    virtual const ProtocolFinishEvent& OnProtocolFinish() const = 0;
    virtual void SetOnProtocolStatus(ProtocolStatusEvent handler) = 0;
    virtual const ProtocolStatusEvent& OnProtocolStatus() const = 0;
};

} // namespace talvix
