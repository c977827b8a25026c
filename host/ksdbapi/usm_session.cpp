#include "host/ksdbapi/usm_session.h"

#include "hostapi/ksdb_codes.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <algorithm>
#include <iterator>

namespace ksdb {
namespace {

struct Protocol {
    const oid* name;
    size_t length;
};

Protocol AuthProtocol(UsmAuth auth) {
    switch (auth) {
    case UsmAuth::kMd5:
        return {usmHMACMD5AuthProtocol, std::size(usmHMACMD5AuthProtocol)};
    case UsmAuth::kSha1:
        return {usmHMACSHA1AuthProtocol, std::size(usmHMACSHA1AuthProtocol)};
    case UsmAuth::kSha224:
        return {usmHMAC128SHA224AuthProtocol, std::size(usmHMAC128SHA224AuthProtocol)};
    case UsmAuth::kSha256:
        return {usmHMAC192SHA256AuthProtocol, std::size(usmHMAC192SHA256AuthProtocol)};
    case UsmAuth::kSha384:
        return {usmHMAC256SHA384AuthProtocol, std::size(usmHMAC256SHA384AuthProtocol)};
    case UsmAuth::kSha512:
        return {usmHMAC384SHA512AuthProtocol, std::size(usmHMAC384SHA512AuthProtocol)};
    case UsmAuth::kNone:
        break;
    }
    return {usmNoAuthProtocol, std::size(usmNoAuthProtocol)};
}

Protocol PrivProtocol(UsmPriv priv) {
    switch (priv) {
    case UsmPriv::kDes:
        return {usmDESPrivProtocol, std::size(usmDESPrivProtocol)};
    case UsmPriv::kAes128:
        return {usmAESPrivProtocol, std::size(usmAESPrivProtocol)};
    case UsmPriv::kAes192:
        return {usmAES192PrivProtocol, std::size(usmAES192PrivProtocol)};
    case UsmPriv::kAes256:
        return {usmAES256PrivProtocol, std::size(usmAES256PrivProtocol)};
    case UsmPriv::kNone:
        break;
    }
    return {usmNoPrivProtocol, std::size(usmNoPrivProtocol)};
}

// Both keys are derived with the authentication protocol's hash, as RFC 3414 and
// net-snmp's tools do; the library extends the privacy key for AES-192 and AES-256.
bool DeriveKey(const Protocol& hash, const std::string& passphrase, u_char* key, size_t& length) {
    std::string phrase = passphrase;
    return generate_Ku(hash.name, static_cast<u_int>(hash.length),
                       reinterpret_cast<u_char*>(phrase.data()), phrase.size(), key,
                       &length) == SNMPERR_SUCCESS;
}

} // namespace

bool ConfigureUsm(const UsmSecurity& usm, snmp_session& session) {
    session.version = SNMP_VERSION_3;
    session.securityModel = SNMP_SEC_MODEL_USM;
    session.securityName = const_cast<char*>(usm.user.c_str());
    session.securityNameLen = usm.user.size();
    session.contextName = const_cast<char*>(usm.context.c_str());
    session.contextNameLen = usm.context.size();
    session.securityLevel = static_cast<int>(usm.level);
    if (usm.level == UsmLevel::kNoAuthNoPriv) {
        return true;
    }
    const Protocol auth = AuthProtocol(usm.auth);
    session.securityAuthProto = const_cast<oid*>(auth.name);
    session.securityAuthProtoLen = auth.length;
    session.securityAuthKeyLen = USM_AUTH_KU_LEN;
    if (!DeriveKey(auth, usm.authPassphrase, session.securityAuthKey, session.securityAuthKeyLen)) {
        return false;
    }
    if (usm.level != UsmLevel::kAuthPriv) {
        return true;
    }
    const Protocol priv = PrivProtocol(usm.priv);
    session.securityPrivProto = const_cast<oid*>(priv.name);
    session.securityPrivProtoLen = priv.length;
    session.securityPrivKeyLen = USM_PRIV_KU_LEN;
    return DeriveKey(auth, usm.privPassphrase, session.securityPrivKey, session.securityPrivKeyLen);
}

int ReportError(const snmp_pdu& report) {
    // usmStats (1.3.6.1.6.3.15.1.1): each counter's arc beside the error it stands for.
    static const oid kUsmStats[] = {1, 3, 6, 1, 6, 3, 15, 1, 1};
    struct UsmStat {
        oid arc;
        int error;
    };
    static constexpr UsmStat kCounters[] = {
        {1, KSDB_ERR_UNSUPPORTED_SEC_LEVEL}, {2, KSDB_ERR_NOT_IN_TIME_WINDOW},
        {3, KSDB_ERR_UNKNOWN_USER},          {4, KSDB_ERR_UNKNOWN_ENGINE_ID},
        {5, KSDB_ERR_WRONG_DIGEST},          {6, KSDB_ERR_DECRYPTION},
    };
    const netsnmp_variable_list* var = report.variables;
    const size_t prefix = std::size(kUsmStats);
    if (var == nullptr || var->name_length <= prefix ||
        !std::equal(kUsmStats, kUsmStats + prefix, var->name)) {
        return KSDB_ERR_REPORT;
    }
    for (const UsmStat& counter : kCounters) {
        if (counter.arc == var->name[prefix]) {
            return counter.error;
        }
    }
    return KSDB_ERR_REPORT;
}

int SecurityFailure(int parseResult) {
    switch (parseResult) {
    case SNMPERR_AUTHENTICATION_FAILURE:
    case SNMPERR_USM_AUTHENTICATIONFAILURE:
        return KSDB_ERR_WRONG_DIGEST;
    case SNMPERR_DECRYPTION_ERR:
    case SNMPERR_USM_DECRYPTIONERROR:
        return KSDB_ERR_DECRYPTION;
    case SNMPERR_UNKNOWN_USER_NAME:
    case SNMPERR_USM_UNKNOWNSECURITYNAME:
        return KSDB_ERR_UNKNOWN_USER;
    default:
        return 0;
    }
}

} // namespace ksdb
