# Schemas the installed pyasn1-modules lack, written in the same pyasn1 style
# so that the table generator reads them like the rest. Each definition cites
# where it is published.
from pyasn1.type import char, namedtype, tag, univ, useful

from pyasn1_modules import rfc3279, rfc5280


# Microsoft's certificate trust list, the content of catalogue (.cat) and
# certificate trust list (.stl) files: "Certificate Trust List" in the
# Microsoft Authenticode and catalogue documentation (wincrypt CTL_INFO):
#   CertificateTrustList ::= SEQUENCE {
#     version CTLVersion DEFAULT v1, subjectUsage SubjectUsage,
#     listIdentifier ListIdentifier OPTIONAL, sequenceNumber HUGEINTEGER OPTIONAL,
#     ctlThisUpdate ChoiceOfTime, ctlNextUpdate ChoiceOfTime OPTIONAL,
#     subjectAlgorithm AlgorithmIdentifier, trustedSubjects TrustedSubjects OPTIONAL,
#     ctlExtensions [0] EXPLICIT Extensions OPTIONAL }
szOID_CTL = univ.ObjectIdentifier('1.3.6.1.4.1.311.10.1')


class ChoiceOfTime(univ.Choice):
    componentType = namedtype.NamedTypes(
        namedtype.NamedType('utcTime', useful.UTCTime()),
        namedtype.NamedType('generalTime', useful.GeneralizedTime()))


class SubjectUsage(univ.SequenceOf):
    componentType = univ.ObjectIdentifier()


class SubjectAttributes(univ.SetOf):
    componentType = rfc5280.Attribute()


class TrustedSubject(univ.Sequence):
    componentType = namedtype.NamedTypes(
        namedtype.NamedType('subjectIdentifier', univ.OctetString()),
        namedtype.OptionalNamedType('subjectAttributes', SubjectAttributes()))


class TrustedSubjects(univ.SequenceOf):
    componentType = TrustedSubject()


class CertificateTrustList(univ.Sequence):
    componentType = namedtype.NamedTypes(
        namedtype.DefaultedNamedType('version', univ.Integer()),
        namedtype.NamedType('subjectUsage', SubjectUsage()),
        namedtype.OptionalNamedType('listIdentifier', univ.OctetString()),
        namedtype.OptionalNamedType('sequenceNumber', univ.Integer()),
        namedtype.NamedType('ctlThisUpdate', ChoiceOfTime()),
        namedtype.OptionalNamedType('ctlNextUpdate', ChoiceOfTime()),
        namedtype.NamedType('subjectAlgorithm', rfc5280.AlgorithmIdentifier()),
        namedtype.OptionalNamedType('trustedSubjects', TrustedSubjects()),
        namedtype.OptionalNamedType('ctlExtensions', rfc5280.Extensions().subtype(
            explicitTag=tag.Tag(tag.tagClassContext, tag.tagFormatSimple, 0))))


# Certificate Transparency's SCT list extension (RFC 6962, section 3.3): the
# extension's value is an OCTET STRING holding the TLS-encoded list.
id_ct_precert_scts = univ.ObjectIdentifier('1.3.6.1.4.1.11129.2.4.2')
id_ct_precert_poison = univ.ObjectIdentifier('1.3.6.1.4.1.11129.2.4.3')


class SignedCertificateTimestampList(univ.OctetString):
    pass


# The common Microsoft certificate extensions, as Microsoft documents them
# ([MS-WCCE] 2.2.2.7.7 and the wincrypt szOID_* definitions).
szOID_CERTSRV_CA_VERSION = univ.ObjectIdentifier('1.3.6.1.4.1.311.21.1')
szOID_CERTSRV_PREVIOUS_CERT_HASH = univ.ObjectIdentifier('1.3.6.1.4.1.311.21.2')
szOID_ENROLL_CERTTYPE_EXTENSION = univ.ObjectIdentifier('1.3.6.1.4.1.311.20.2')
szOID_CERTIFICATE_TEMPLATE = univ.ObjectIdentifier('1.3.6.1.4.1.311.21.7')
szOID_APPLICATION_CERT_POLICIES = univ.ObjectIdentifier('1.3.6.1.4.1.311.21.10')


class CAVersion(univ.Integer):
    pass


class PreviousCACertHash(univ.OctetString):
    pass


class CertificateTemplateName(char.BMPString):
    pass


class CertificateTemplate(univ.Sequence):
    componentType = namedtype.NamedTypes(
        namedtype.NamedType('templateID', univ.ObjectIdentifier()),
        namedtype.NamedType('templateMajorVersion', univ.Integer()),
        namedtype.OptionalNamedType('templateMinorVersion', univ.Integer()))


class ApplicationCertPolicies(rfc5280.CertificatePolicies):
    pass


# Netscape's certificate extensions ("Netscape Certificate Extensions", Netscape
# Communications, 1996), still written by OpenSSL's default configuration.
netscape_cert_type = univ.ObjectIdentifier('2.16.840.1.113730.1.1')
netscape_comment = univ.ObjectIdentifier('2.16.840.1.113730.1.13')


class NetscapeCertType(univ.BitString):
    pass


class NetscapeComment(char.IA5String):
    pass


extensions = {
    netscape_cert_type: NetscapeCertType(),
    netscape_comment: NetscapeComment(),
    id_ct_precert_scts: SignedCertificateTimestampList(),
    id_ct_precert_poison: univ.Null(),
    szOID_CERTSRV_CA_VERSION: CAVersion(),
    szOID_CERTSRV_PREVIOUS_CERT_HASH: PreviousCACertHash(),
    szOID_ENROLL_CERTTYPE_EXTENSION: CertificateTemplateName(),
    szOID_CERTIFICATE_TEMPLATE: CertificateTemplate(),
    szOID_APPLICATION_CERT_POLICIES: ApplicationCertPolicies(),
}


# PKCS#1's DSA and PKCS#3's DH key forms that OpenSSL writes (DSA PRIVATE KEY,
# DH PARAMETERS): "DSAPrivateKey" of OpenSSL's dsa_asn1.c and "DHParameter" of
# PKCS #3 v1.4, section 9.
class DSAPrivateKey(univ.Sequence):
    componentType = namedtype.NamedTypes(
        namedtype.NamedType('version', univ.Integer()),
        namedtype.NamedType('p', univ.Integer()),
        namedtype.NamedType('q', univ.Integer()),
        namedtype.NamedType('g', univ.Integer()),
        namedtype.NamedType('publicKey', univ.Integer()),
        namedtype.NamedType('privateKey', univ.Integer()))


class DHParameter(univ.Sequence):
    componentType = namedtype.NamedTypes(
        namedtype.NamedType('prime', univ.Integer()),
        namedtype.NamedType('base', univ.Integer()),
        namedtype.OptionalNamedType('privateValueLength', univ.Integer()))


class DSAPrivateKeyValue(univ.Integer):
    pass


# RFC 5915's ECPrivateKey with the parameters of SEC 1 (section C.4), which
# also allow explicit curve parameters (RFC 3279's EcpkParameters); the
# installed module knows only named curves.
class ECPrivateKey(univ.Sequence):
    componentType = namedtype.NamedTypes(
        namedtype.NamedType('version', univ.Integer()),
        namedtype.NamedType('privateKey', univ.OctetString()),
        namedtype.OptionalNamedType('parameters', rfc3279.EcpkParameters().subtype(
            explicitTag=tag.Tag(tag.tagClassContext, tag.tagFormatSimple, 0))),
        namedtype.OptionalNamedType('publicKey', univ.BitString().subtype(
            explicitTag=tag.Tag(tag.tagClassContext, tag.tagFormatSimple, 1))))
