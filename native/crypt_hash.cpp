// The CryptoAPI hash functions the digests use, over nettle: the same algorithm numbers,
// providers and parameters, and the same failures for what a provider does not offer.
#include <nettle/nettle-meta.h>

#include <cstdlib>
#include <cstring>

#include "native/system_calls.h"

namespace {
const uint32_t kProvRsaFull = 1, kProvRsaAes = 24;
const uint32_t kHpAlgId = 1, kHpHashVal = 2, kHpHashSize = 4;
const uint32_t kNteBadAlgId = 0x80090008, kNteBadHashState = 0x8009000C;
const uint32_t kNteBadProvType = 0x80090014, kNteBadUid = 0x80090001, kNteBadType = 0x8009000A;

struct Provider {
    uint32_t type;
};

struct Hash {
    const nettle_hash* kind;
    uint32_t algorithm;
    bool finished;
    uint8_t value[64];
    alignas(16) uint8_t context[1];  // kind->context_size bytes
};

const nettle_hash* KindOf(uint32_t providerType, uint32_t algorithm) {
    switch (algorithm) {
    case 0x8001: return &nettle_md2;
    case 0x8002: return &nettle_md4;
    case 0x8003: return &nettle_md5;
    case 0x8004: return &nettle_sha1;
    }
    // The SHA-2 family is the AES provider's only.
    if (providerType != kProvRsaAes) return nullptr;
    switch (algorithm) {
    case 0x800C: return &nettle_sha256;
    case 0x800D: return &nettle_sha384;
    case 0x800E: return &nettle_sha512;
    }
    return nullptr;
}

int32_t Fail(uint32_t code) {
    NativeSetLastError(code);
    return 0;
}
}  // namespace

int32_t NativeCryptAcquireContextA(uintptr_t* provider, const char*, const char*, uint32_t type, uint32_t) {
    if (!provider) return Fail(kErrorInvalidParameter);
    if (type != kProvRsaFull && type != kProvRsaAes) return Fail(kNteBadProvType);
    Provider* p = static_cast<Provider*>(malloc(sizeof(Provider)));
    if (!p) return Fail(8);  // ERROR_NOT_ENOUGH_MEMORY
    p->type = type;
    *provider = reinterpret_cast<uintptr_t>(p);
    return 1;
}

int32_t NativeCryptReleaseContext(uintptr_t provider, uint32_t) {
    if (!provider) return Fail(kNteBadUid);
    free(reinterpret_cast<Provider*>(provider));
    return 1;
}

int32_t NativeCryptCreateHash(uintptr_t provider, uint32_t algorithm, uintptr_t key, uint32_t, uintptr_t* hash) {
    if (!provider || !hash) return Fail(kErrorInvalidParameter);
    if (key) return Fail(kNteBadAlgId);  // these algorithms take no key
    const nettle_hash* kind = KindOf(reinterpret_cast<Provider*>(provider)->type, algorithm);
    if (!kind) return Fail(kNteBadAlgId);
    Hash* h = static_cast<Hash*>(malloc(sizeof(Hash) + kind->context_size));
    if (!h) return Fail(8);
    h->kind = kind;
    h->algorithm = algorithm;
    h->finished = false;
    kind->init(h->context);
    *hash = reinterpret_cast<uintptr_t>(h);
    return 1;
}

int32_t NativeCryptHashData(uintptr_t hash, const uint8_t* data, uint32_t length, uint32_t) {
    Hash* h = reinterpret_cast<Hash*>(hash);
    if (!h) return Fail(kErrorInvalidParameter);
    if (h->finished) return Fail(kNteBadHashState);
    if (length && !data) return Fail(kErrorInvalidParameter);
    if (length) h->kind->update(h->context, length, data);
    return 1;
}

int32_t NativeCryptDestroyHash(uintptr_t hash) {
    if (!hash) return Fail(kErrorInvalidParameter);
    free(reinterpret_cast<Hash*>(hash));
    return 1;
}

int32_t NativeCryptGetHashParam(uintptr_t hash, uint32_t param, uint8_t* data, uint32_t* length, uint32_t) {
    Hash* h = reinterpret_cast<Hash*>(hash);
    if (!h || !length) return Fail(kErrorInvalidParameter);
    uint8_t word[4];
    const uint8_t* value;
    uint32_t size;
    if (param == kHpHashVal) {
        // The value ends the hash: it is kept, and no more data may follow.
        if (!h->finished) {
            h->kind->digest(h->context, h->kind->digest_size, h->value);
            h->finished = true;
        }
        value = h->value;
        size = h->kind->digest_size;
    } else if (param == kHpHashSize || param == kHpAlgId) {
        uint32_t v = param == kHpHashSize ? h->kind->digest_size : h->algorithm;
        memcpy(word, &v, 4);
        value = word;
        size = 4;
    } else {
        return Fail(kNteBadType);
    }
    if (!data) {
        *length = size;
        return 1;
    }
    if (*length < size) {
        *length = size;
        return Fail(kErrorMoreData);
    }
    memcpy(data, value, size);
    *length = size;
    return 1;
}
