#!/usr/bin/env python3
"""Compiles the standards' ASN.1 modules, as Debian's python3-pyasn1-modules
holds them (plus extra_modules.py for what it lacks), into the compact tables
of schema_tables.cpp that the matcher walks.

usage: gen_schema.py OUTPUT.cpp

Every type node reachable from the top-level types below is emitted once: its
kind, the tag it starts with, its name and its fields or item type. Open types
(a field whose type an OID beside it chooses) become maps from OID contents
octets to type nodes.
"""
import os
import sys

sys.dont_write_bytecode = True  # the source tree stays clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from pyasn1.codec.der import encoder as der_encoder  # noqa: E402
from pyasn1.type import char, namedtype, opentype, tag, univ, useful  # noqa: E402
from pyasn1_modules import (rfc2986, rfc3161, rfc3279, rfc4055, rfc5208, rfc5280,  # noqa: E402
                            rfc5480, rfc5652, rfc5915, rfc5958, rfc6960, rfc7292,
                            rfc7914, rfc8017, rfc8018)
# Imported for the map entries they register: AuthEnvelopedData, AES-GCM/CCM, PKCS #9 attributes.
from pyasn1_modules import rfc2459, rfc2985, rfc5035, rfc5083, rfc5084, rfc5751, rfc8410  # noqa: E402,F401
import extra_modules as ms  # noqa: E402

# ---- Fix-ups of the maps: entries that pyasn1-modules leaves out or where a
# later module's entry is the narrower one.
rfc5280.algorithmIdentifierMap[rfc5480.id_ecPublicKey] = rfc3279.EcpkParameters()
rfc5280.algorithmIdentifierMap[rfc3279.id_dsa] = rfc3279.Dss_Parms()
rfc5280.algorithmIdentifierMap[rfc3279.dhpublicnumber] = rfc3279.DomainParameters()
rfc5280.algorithmIdentifierMap[univ.ObjectIdentifier('1.2.840.113549.1.3.1')] = ms.DHParameter()
rfc5280.algorithmIdentifierMap[rfc4055.id_RSASSA_PSS] = rfc4055.RSASSA_PSS_params()
rfc5280.algorithmIdentifierMap[rfc4055.id_RSAES_OAEP] = rfc4055.RSAES_OAEP_params()
rfc5280.certificateExtensionsMap.update(ms.extensions)
rfc5280.policyQualifierInfoMap[rfc5280.id_qt_cps] = rfc5280.CPSuri()
rfc5280.policyQualifierInfoMap[rfc5280.id_qt_unotice] = rfc5280.UserNotice()
rfc5652.cmsAttributesMap[rfc5751.smimeCapabilities] = rfc5751.SMIMECapabilities()
# RFC 3211's key-encryption algorithm of a password recipient: another algorithm inside.
rfc5280.algorithmIdentifierMap[univ.ObjectIdentifier('1.2.840.113549.1.9.16.3.9')] = rfc5280.AlgorithmIdentifier()
rfc5652.cmsContentTypesMap[rfc3161.id_ct_TSTInfo] = rfc3161.TSTInfo()
rfc5652.cmsContentTypesMap[ms.szOID_CTL] = ms.CertificateTrustList()
# A PKCS#12 certificate or CRL bag holds the DER of the certificate in an OCTET STRING.
rfc7292.pkcs12CertBagMap[univ.ObjectIdentifier('1.2.840.113549.1.9.22.1')] = rfc5280.Certificate()
rfc7292.pkcs12CRLBagMap[univ.ObjectIdentifier('1.2.840.113549.1.9.23.1')] = rfc5280.CertificateList()

# Keys inside SubjectPublicKeyInfo's BIT STRING and PrivateKeyInfo's OCTET STRING,
# chosen by the algorithm beside them.
publicKeyMap = {
    rfc5480.rsaEncryption: rfc8017.RSAPublicKey(),
    rfc4055.id_RSASSA_PSS: rfc8017.RSAPublicKey(),
    rfc5480.id_dsa: rfc3279.DSAPublicKey(),
    rfc5480.dhpublicnumber: rfc3279.DHPublicKey(),
}
privateKeyMap = {
    rfc5480.rsaEncryption: rfc8017.RSAPrivateKey(),
    rfc4055.id_RSASSA_PSS: rfc8017.RSAPrivateKey(),
    rfc5480.id_ecPublicKey: ms.ECPrivateKey(),
    rfc5480.id_dsa: ms.DSAPrivateKeyValue(),
    rfc8410.id_X25519: rfc8410.CurvePrivateKey(),
    rfc8410.id_X448: rfc8410.CurvePrivateKey(),
    rfc8410.id_Ed25519: rfc8410.CurvePrivateKey(),
    rfc8410.id_Ed448: rfc8410.CurvePrivateKey(),
}
signatureMap = {oid: rfc5480.ECDSA_Sig_Value() for oid in (
    rfc5480.ecdsa_with_SHA1, rfc5480.ecdsa_with_SHA224, rfc5480.ecdsa_with_SHA256,
    rfc5480.ecdsa_with_SHA384, rfc5480.ecdsa_with_SHA512)}
signatureMap[rfc5480.id_dsa_with_sha1] = rfc5480.DSA_Sig_Value()
signatureMap[rfc5480.id_dsa_with_sha224] = rfc5480.DSA_Sig_Value()
signatureMap[rfc5480.id_dsa_with_sha256] = rfc5480.DSA_Sig_Value()

# Open types the modules describe only in comments: (type class, field) ->
# (the field holding the OID, its map).
extraOpenTypes = {
    (rfc5280.Extension, 'extnValue'): ('extnID', rfc5280.certificateExtensionsMap),
    (rfc2459.AlgorithmIdentifier, 'parameters'): ('algorithm', rfc5280.algorithmIdentifierMap),
    (rfc5652.EncapsulatedContentInfo, 'eContent'): ('eContentType', rfc5652.cmsContentTypesMap),
    (rfc6960.ResponseBytes, 'response'): ('responseType', rfc6960.ocspResponseMap),
    (rfc5280.SubjectPublicKeyInfo, 'subjectPublicKey'): ('algorithm', publicKeyMap),
    (rfc2986.SubjectPublicKeyInfo, 'subjectPublicKey'): ('algorithm', publicKeyMap),
    (rfc5208.PrivateKeyInfo, 'privateKey'): ('privateKeyAlgorithm', privateKeyMap),
    (rfc5958.OneAsymmetricKey, 'privateKey'): ('privateKeyAlgorithm', privateKeyMap),
    (rfc5280.Certificate, 'signature'): ('signatureAlgorithm', signatureMap),
    (rfc5280.CertificateList, 'signature'): ('signatureAlgorithm', signatureMap),
    (rfc2986.CertificationRequest, 'signature'): ('signatureAlgorithm', signatureMap),
    (rfc5652.SignerInfo, 'signature'): ('signatureAlgorithm', signatureMap),
    (rfc6960.BasicOCSPResponse, 'signature'): ('signatureAlgorithm', signatureMap),
}
# Maps whose OIDs not listed pick no DER: an RSA signature or an EC point is
# octets to show, not structure to decode.
opaqueOthers = {id(signatureMap), id(publicKeyMap)}

# Lists whose order carries no meaning and whose items one of their fields
# names, so that a comparison pairs the items by that field's value: by the
# items' type name or by the name of the field holding the list, to the key
# field's names in the modules' editions.
keyedLists = {
    'Extension': ('extnID',),                      # each extension at most once (RFC 5280, 4.2)
    'revokedCertificates': ('userCertificate',),  # a CRL's entries, one per serial number
    'Attribute': ('type', 'attrType'),            # PKCS#10, PKCS#9, CMS and PKCS#12 attributes
    'AttributeTypeAndValue': ('type',),           # the components of a multi-valued RDN
}


# PKCS#12 nests ContentInfo twice with "data" meaning a different structure at
# each level (RFC 7292, section 4.1): the PFX's authSafe holds an
# AuthenticatedSafe, whose items hold SafeContents.
def ContentInfoWith(name, contents):
    class ContentInfo(univ.Sequence):
        asn1Name = 'ContentInfo'
    contentMap = dict(rfc5652.cmsContentTypesMap)
    contentMap.update(contents)
    ContentInfo.__qualname__ = name
    ContentInfo.componentType = namedtype.NamedTypes(
        namedtype.NamedType('contentType', rfc5652.ContentType()),
        namedtype.OptionalNamedType('content', univ.Any().subtype(
            explicitTag=tag.Tag(tag.tagClassContext, tag.tagFormatSimple, 0)),
            openType=opentype.OpenType('contentType', contentMap)))
    return ContentInfo


class SafeContentsInfo(ContentInfoWith('SafeContentsInfo', {rfc5652.id_data: rfc7292.SafeContents()})):
    asn1Name = 'ContentInfo'


class AuthenticatedSafe(univ.SequenceOf):
    componentType = SafeContentsInfo()


class PFX(univ.Sequence):
    componentType = namedtype.NamedTypes(
        namedtype.NamedType('version', univ.Integer()),
        namedtype.NamedType('authSafe', ContentInfoWith('AuthSafeInfo', {rfc5652.id_data: AuthenticatedSafe()})()),
        namedtype.OptionalNamedType('macData', rfc7292.MacData()))


# The types a document may start with, with the PEM labels that announce them.
TOP_LEVEL = [
    (rfc5280.Certificate(), ['CERTIFICATE', 'X509 CERTIFICATE', 'TRUSTED CERTIFICATE']),
    (rfc5280.CertificateList(), ['X509 CRL', 'CRL']),
    (rfc2986.CertificationRequest(), ['CERTIFICATE REQUEST', 'NEW CERTIFICATE REQUEST']),
    (rfc5652.ContentInfo(), ['PKCS7', 'CMS', 'PKCS #7 SIGNED DATA']),
    (PFX(), ['PKCS12']),
    (rfc5958.OneAsymmetricKey(), ['PRIVATE KEY']),
    (rfc5208.EncryptedPrivateKeyInfo(), ['ENCRYPTED PRIVATE KEY']),
    (rfc8017.RSAPrivateKey(), ['RSA PRIVATE KEY']),
    (rfc8017.RSAPublicKey(), ['RSA PUBLIC KEY']),
    (rfc5280.SubjectPublicKeyInfo(), ['PUBLIC KEY']),
    (ms.ECPrivateKey(), ['EC PRIVATE KEY']),
    (rfc3279.EcpkParameters(), ['EC PARAMETERS']),
    (ms.DSAPrivateKey(), ['DSA PRIVATE KEY']),
    (rfc3279.Dss_Parms(), ['DSA PARAMETERS']),
    (ms.DHParameter(), ['DH PARAMETERS']),
    (rfc3279.DomainParameters(), ['X9.42 DH PARAMETERS']),
    (rfc6960.OCSPRequest(), ['OCSP REQUEST']),
    (rfc6960.OCSPResponse(), ['OCSP RESPONSE']),
    (rfc6960.BasicOCSPResponse(), []),
    (rfc3161.TimeStampReq(), ['TIMESTAMP REQUEST']),
    (rfc3161.TimeStampResp(), ['TIMESTAMP RESPONSE']),
    (rfc3161.TSTInfo(), []),
    (ms.CertificateTrustList(), []),
]

# Kinds, as the C++ side numbers them.
K_PRIMITIVE, K_SEQUENCE, K_SET, K_SEQUENCE_OF, K_SET_OF, K_CHOICE, K_ANY, K_EXPLICIT = range(8)
F_OPTIONAL = 1
F_DEFAULT = 2
# Node flags: how a primitive's value reads.
N_OPAQUE = 1      # an OCTET STRING or BIT STRING that holds no DER (a digest, a signature, key material)
N_IDENTIFIER = 2  # an INTEGER that identifies (a serial number): shown in hexadecimal too
N_IP_ADDRESS = 4  # an OCTET STRING holding an IP address (and a mask in name constraints)
UNIVERSAL_INTEGER, UNIVERSAL_BIT_STRING, UNIVERSAL_OCTET_STRING = 2, 3, 4


def TagCode(t):
    # class in the top two bits (0 universal .. 3 private), then the number.
    return (t.tagClass >> 6) << 30 | t.tagId


# Names of the OIDs the modules define, for the content of an open type whose
# type has no name of its own (an invalidity date is a bare GeneralizedTime):
# id_ce_invalidityDate gives "invalidityDate".
OID_PREFIXES = ('id_ce_', 'id_pe_', 'id_pkix_ocsp_', 'id_aa_', 'id_ct_', 'id_', 'pkcs_9_at_', 'szOID_')


def OidNames():
    names = {}
    for module in (rfc5280, rfc5652, rfc6960, rfc2985, rfc7292, rfc5035, rfc3161, ms):
        for var, value in sorted(vars(module).items()):
            if not isinstance(value, univ.ObjectIdentifier) or var.startswith('_'):
                continue
            for prefix in OID_PREFIXES:
                if var.startswith(prefix):
                    var = var[len(prefix):]
                    break
            names.setdefault(tuple(value), var.replace('_', '-'))
    return names


def UniversalTag(obj):
    """The universal tag number of obj's type, which an IMPLICIT tag hides: the
    first class up its ancestry whose own tag is universal."""
    for cls in type(obj).__mro__:
        tags = cls.__dict__.get('tagSet')
        if tags is not None and tags.superTags and tags.superTags[0].tagClass == tag.tagClassUniversal:
            return tags.superTags[0].tagId
    return None


def TypeName(obj):
    cls = type(obj)
    name = getattr(cls, 'asn1Name', None)
    if name:
        return name
    if cls.__module__.startswith('pyasn1.type'):
        return ''
    return cls.__name__.replace('_', '-')


class Generator:
    def __init__(self):
        self.nodes = []      # [kind, tag, name, first, count, acceptAny, acceptTags]
        self.fields = []     # [name, type, flags, keyField, map]
        self.memo = {}
        self.maps = []       # [(oid octets, type)]
        self.mapIds = {}
        self.strings = {'': 0}
        self.pool = bytearray(b'\0')
        self.oidNames = OidNames()
        self.defaults = {}    # node index -> DER of the field's DEFAULT value
        self.namedBits = set()  # nodes of BIT STRINGs with named bits
        self.universal = {}   # node index -> universal tag number of a primitive's type
        self.flags = {}       # node index -> N_* flags
        self.values = {}      # node index -> [(number or bit, name offset)]
        self.listFields = {}  # node index -> the name of a field of that type (for a list, what holds it)

    def String(self, s):
        if s not in self.strings:
            self.strings[s] = len(self.pool)
            self.pool += s.encode('ascii') + b'\0'
        return self.strings[s]

    def Node(self, obj, name=None):
        """Index of the node for obj with its own tags (explicit wrappers outermost);
        name, when given, replaces the type's own."""
        tags = list(obj.tagSet.superTags)
        if isinstance(obj, (univ.Choice, univ.Any)):
            explicit, own = tags, None  # untagged at heart: every tag wraps it
        else:
            explicit, own = tags[1:], tags[0]
        index = self.Bare(obj, own, name)
        for wrapper in explicit:
            key = ('explicit', TagCode(wrapper), index)
            if key not in self.memo:
                self.memo[key] = len(self.nodes)
                inner = self.nodes[index]
                self.nodes.append([K_EXPLICIT, TagCode(wrapper), inner[2], index, 1, False, [TagCode(wrapper)]])
            index = self.memo[key]
        return index

    def Bare(self, obj, own, name=None):
        component = getattr(obj, 'componentType', None)
        named = isinstance(obj, univ.BitString) and len(obj.namedValues) > 0
        values = tuple(sorted(obj.namedValues.items())) if isinstance(obj, (univ.Integer, univ.BitString)) else ()
        key = (type(obj), own and TagCode(own), id(component), name, values)
        if key in self.memo:
            return self.memo[key]
        index = len(self.nodes)
        self.memo[key] = index
        name = self.String(name or TypeName(obj))
        code = TagCode(own) if own is not None else 0
        if isinstance(obj, univ.Choice):
            node = [K_CHOICE, code, name, 0, 0, False, []]
        elif isinstance(obj, univ.Any):
            node = [K_ANY, code, name, 0, 0, True, []]
        elif isinstance(obj, (univ.SequenceOf, univ.SetOf)):
            node = [K_SEQUENCE_OF if isinstance(obj, univ.SequenceOf) else K_SET_OF, code, name, 0, 1, False, [code]]
        elif isinstance(obj, (univ.Sequence, univ.Set)):
            node = [K_SEQUENCE if isinstance(obj, univ.Sequence) else K_SET, code, name, 0, 0, False, [code]]
        else:
            node = [K_PRIMITIVE, code, name, 0, 0, False, [code]]
        self.nodes.append(node)
        if named:
            self.namedBits.add(index)
        if node[0] == K_PRIMITIVE:
            universal = UniversalTag(obj)
            if universal is not None:
                self.universal[index] = universal
            if values and not isinstance(obj, univ.Boolean):
                self.values[index] = sorted((v, self.String(n)) for n, v in values)
            if TypeName(obj) == 'CertificateSerialNumber':
                self.flags[index] = N_IDENTIFIER
        if node[0] in (K_SEQUENCE_OF, K_SET_OF):
            node[3] = self.Node(component)
        elif node[0] in (K_SEQUENCE, K_SET, K_CHOICE):
            self.Fields(obj, node)
        if node[0] == K_CHOICE:
            for f in self.fields[node[3]:node[3] + node[4]]:
                alt = self.nodes[f[1]]
                node[5] = node[5] or alt[5]
                node[6] += [t for t in alt[6] if t not in node[6]]
        return index

    def Fields(self, obj, node):
        named = list(obj.componentType.namedTypes)
        rows = []
        for nt in named:
            flags = (F_OPTIONAL if nt.isOptional else 0) | (F_DEFAULT if nt.isDefaulted else 0)
            key, typeMap = -1, None
            open_ = nt.openType
            extra = extraOpenTypes.get((type(obj), nt.name))
            if extra is None:
                for base in type(obj).__mro__[1:]:
                    extra = extraOpenTypes.get((base, nt.name))
                    if extra:
                        break
            if extra is None and nt.name == 'extnValue':  # the Extension of every X.509 edition
                extra = ('extnID', rfc5280.certificateExtensionsMap)
            if extra is not None:
                keyName, typeMap = extra
            elif open_ is not None:
                keyName, typeMap = open_.name, open_._OpenType__typeMap
            if typeMap is not None:
                names = [n.name for n in named]
                key = names.index(keyName)
            typeIndex = self.Node(nt.asn1Object)
            if nt.isDefaulted:
                typeIndex = self.WithDefault(typeIndex, nt.asn1Object)
            typeIndex = self.WithFlags(typeIndex, self.FieldFlags(nt.name, typeIndex, typeMap is not None))
            inner = self.nodes[typeIndex][3] if self.nodes[typeIndex][0] == K_EXPLICIT else typeIndex
            self.listFields.setdefault(inner, nt.name)
            rows.append([self.String(nt.name), typeIndex, flags, key, typeMap])
        first = len(self.fields)
        self.fields.extend(rows)
        node[3], node[4] = first, len(rows)
        for row in rows:
            if row[4] is not None:
                row[4] = self.Map(row[4])
            else:
                row[4] = -1

    def WithDefault(self, index, value):
        """A copy of node index that also knows the DER of the field's DEFAULT
        value (its tags included), so that a check can tell it is encoded."""
        try:
            encoded = bytes(der_encoder.encode(value))
        except Exception:  # a DEFAULT the modules give no value for
            return index
        key = ('default', index, encoded)
        if key not in self.memo:
            self.memo[key] = len(self.nodes)
            node = list(self.nodes[index])
            node[6] = list(node[6])
            self.nodes.append(node)
            copy = self.memo[key]
            self.defaults[copy] = encoded
            for table in (self.universal, self.values, self.flags):
                if index in table:
                    table[copy] = table[index]
            if index in self.namedBits:
                self.namedBits.add(copy)
        return self.memo[key]

    def FieldFlags(self, name, index, mapped):
        """What a field says of its primitive value beyond its type: an IP
        address, a serial number, or octets that hold no DER (any OCTET STRING
        or BIT STRING without an open type or named bits; the modules put DER
        in one only where an OID says what it holds)."""
        node = self.nodes[index]
        if node[0] == K_EXPLICIT:
            index = node[3]
            node = self.nodes[index]
        if node[0] != K_PRIMITIVE:
            return 0
        universal = self.universal.get(index)
        if name == 'iPAddress' and universal == UNIVERSAL_OCTET_STRING:
            return N_IP_ADDRESS
        if name == 'serialNumber' and universal == UNIVERSAL_INTEGER:
            return N_IDENTIFIER
        if universal in (UNIVERSAL_BIT_STRING, UNIVERSAL_OCTET_STRING) and not mapped and index not in self.values:
            return N_OPAQUE
        return 0

    def WithFlags(self, index, flags):
        """A copy of node index with flags added (for an EXPLICIT tag, of the
        type inside it); index itself when it has them."""
        if flags == 0:
            return index
        node = self.nodes[index]
        if node[0] == K_EXPLICIT:
            inner = self.WithFlags(node[3], flags)
            key = ('explicit', node[1], inner)
            if key not in self.memo:
                self.memo[key] = len(self.nodes)
                self.nodes.append([K_EXPLICIT, node[1], node[2], inner, 1, False, [node[1]]])
            return self.memo[key]
        if self.flags.get(index, 0) & flags == flags:
            return index
        key = ('flags', index, flags)
        if key not in self.memo:
            self.memo[key] = len(self.nodes)
            node = list(self.nodes[index])
            node[6] = list(node[6])
            self.nodes.append(node)
            copy = self.memo[key]
            for table in (self.defaults, self.universal, self.values):
                if index in table:
                    table[copy] = table[index]
            if index in self.namedBits:
                self.namedBits.add(copy)
            self.flags[copy] = self.flags.get(index, 0) | flags
        return self.memo[key]

    def ListKeys(self):
        """(list node, key field's name offset) for each list keyedLists names, sorted."""
        names = {offset: text for text, offset in self.strings.items()}
        rows = []
        for index, node in enumerate(self.nodes):
            if node[0] not in (K_SEQUENCE_OF, K_SET_OF):
                continue
            item = self.nodes[node[3]]
            keys = keyedLists.get(names[item[2]]) or keyedLists.get(self.listFields.get(index), ())
            fields = self.fields[item[3]:item[3] + item[4]] if item[0] in (K_SEQUENCE, K_SET) else []
            key = next((f[0] for f in fields if names[f[0]] in keys), None)
            if key is not None:
                rows.append((index, key))
        return rows

    def Map(self, typeMap):
        if id(typeMap) in self.mapIds:
            return self.mapIds[id(typeMap)]
        index = len(self.maps)
        self.mapIds[id(typeMap)] = index
        self.maps.append(None)
        entries = []
        for oid, obj in typeMap.items():
            if not isinstance(oid, univ.ObjectIdentifier):
                continue  # maps keyed by INTEGER (X.400 address attributes) are not followed
            name = None if TypeName(obj) else self.oidNames.get(tuple(oid))
            typeIndex = self.Node(obj, name)
            # Content that is itself a bare OCTET STRING or BIT STRING (a key
            # identifier, a nonce, a message digest, Data) holds octets, not DER.
            typeIndex = self.WithFlags(typeIndex, self.FieldFlags('', typeIndex, False))
            entries.append((OidOctets(oid), typeIndex))
        entries.sort()
        self.maps[index] = (entries, id(typeMap) in opaqueOthers)
        return index


def OidOctets(oid):
    arcs = list(univ.ObjectIdentifier(oid).asTuple())
    values = [arcs[0] * 40 + arcs[1]] + arcs[2:]
    out = bytearray()
    for v in values:
        chunk = [v & 0x7F]
        v >>= 7
        while v:
            chunk.append(0x80 | (v & 0x7F))
            v >>= 7
        out += bytes(reversed(chunk))
    return bytes(out)


def Main(target):
    gen = Generator()
    tops = []
    for obj, labels in TOP_LEVEL:
        tops.append((gen.Node(obj), [gen.String(label) for label in labels]))

    # The matcher packs a string offset in 15 bits and a type index in 13.
    assert len(gen.pool) < 1 << 15 and len(gen.nodes) < 1 << 13
    accepts = []
    for node in gen.nodes:
        node.append(len(accepts))
        accepts.extend(node[6])
    oidBytes = bytearray()
    mapRows = []
    entryRows = []
    for entries, opaque in gen.maps:
        mapRows.append((len(entryRows), len(entries), int(opaque)))
        for octets, typeIndex in entries:
            entryRows.append((len(oidBytes), len(octets), typeIndex))
            oidBytes += octets
    defaultBytes = bytearray()
    defaultRows = {}
    for index, encoded in sorted(gen.defaults.items()):
        defaultRows[index] = (len(defaultBytes), len(encoded))
        defaultBytes += encoded
    valueRows = []
    valueFirst = {}
    for index, values in sorted(gen.values.items()):
        valueFirst[index] = len(valueRows)
        valueRows.extend(values)
    labelRows = []
    topRows = []
    for typeIndex, labels in tops:
        topRows.append((typeIndex, len(labelRows), len(labels)))
        labelRows.extend(labels)

    def Hex(data):
        return ',\n'.join(', '.join('0x%02x' % b for b in data[i:i + 24]) for i in range(0, len(data), 24))

    out = []
    out.append('// Generated by src/schema/gen_schema.py from python3-pyasn1-modules; do not edit.')
    out.append('#include "schema/schema_tables.h"\n')
    out.append('namespace schema::tables {\n')
    out.append('const char Strings[] = {\n%s};' % Hex(bytes(gen.pool)))
    out.append('const TTypeNode Types[] = {')
    for i, n in enumerate(gen.nodes):
        default = defaultRows.get(i, (0, 0))
        out.append('  {%d, %d, %d, %d, %d, %d, %d, %du, %d, %d, %d, %d, %d, %d, %d},' % (
            n[0], len(n[6]), int(n[5]), int(i in gen.namedBits), gen.universal.get(i, 0), gen.flags.get(i, 0),
            len(gen.values.get(i, ())), n[1], n[2], n[3], n[4], n[7], default[0], default[1], valueFirst.get(i, 0)))
    out.append('};')
    out.append('const TField Fields[] = {')
    for f in gen.fields:
        out.append('  {%d, %d, %d, %d, %d},' % (f[0], f[1], f[2], f[3], f[4]))
    out.append('};')
    out.append('const std::uint32_t AcceptTags[] = {%s};' % (', '.join('%du' % t for t in accepts) or '0'))
    out.append('const std::uint8_t OidOctets[] = {\n%s};' % Hex(bytes(oidBytes)))
    out.append('const TMapEntry MapEntries[] = {%s};' % ', '.join('{%d, %d, %d}' % e for e in entryRows))
    out.append('const TMap Maps[] = {%s};' % ', '.join('{%d, %d, %d}' % m for m in mapRows))
    out.append('const TNamedValue NamedValues[] = {%s};' % (
        ', '.join('{%dll, %d}' % v for v in valueRows) or '{0, 0}'))
    out.append('const std::uint8_t DefaultOctets[] = {\n%s};' % (Hex(bytes(defaultBytes)) or '0'))
    out.append('const std::uint32_t PemLabels[] = {%s};' % ', '.join(str(x) for x in labelRows))
    out.append('const TTopLevel TopLevel[] = {%s};' % ', '.join('{%d, %d, %d}' % t for t in topRows))
    listKeys = gen.ListKeys()
    out.append('const TListKey ListKeys[] = {%s};' % (', '.join('{%d, %d}' % k for k in listKeys) or '{0, 0}'))
    out.append('const std::uint32_t ListKeyCount = %d;' % len(listKeys))
    out.append('const std::uint32_t TypeCount = %d;' % len(gen.nodes))
    out.append('const std::uint32_t TopLevelCount = %d;' % len(topRows))
    out.append('\n}  // namespace schema::tables')
    text = '\n'.join(out) + '\n'
    old = None
    if os.path.exists(target):
        with open(target) as f:
            old = f.read()
    if old != text:
        with open(target, 'w') as f:
            f.write(text)


if __name__ == '__main__':
    Main(sys.argv[1])
