#!/usr/bin/env python3
"""The field rules of the Windows Package Manager's multi-file manifest, schema 1.10.0, as its
schema documentation gives them, applied to the three files kestrin-pack winget wrote.

    check_winget.py DIR ID
Exits 1 naming every rule a file breaks."""
import re
import sys
import yaml

ID_PART = r'[^\.\s\\/:\*\?"<>\|\x01-\x1f]{1,32}'
VERSION_NUMBER = r'(0|[1-9][0-9]{0,3}|[1-5][0-9]{4}|6[0-4][0-9]{3}|65[0-4][0-9]{2}|655[0-2][0-9]|6553[0-5])'
RULES = {
    'PackageIdentifier': (r'^%s(\.%s){1,7}$' % (ID_PART, ID_PART), 1, 128),
    'PackageVersion': (r'^[^\\/:\*\?"<>\|\x01-\x1f]+$', 1, 128),
    'DefaultLocale': (r'^([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*$', 1, 20),
    'PackageLocale': (r'^([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*$', 1, 20),
    'ManifestVersion': (r'^%s(\.%s){2}$' % (VERSION_NUMBER, VERSION_NUMBER), 1, 20),
    'Publisher': (None, 2, 256), 'PackageName': (None, 2, 256), 'License': (None, 3, 512),
    'ShortDescription': (None, 3, 256), 'PackageUrl': (r'^([Hh][Tt][Tt][Pp][Ss]?)://.+$', 1, 2048),
    'InstallerUrl': (r'^([Hh][Tt][Tt][Pp][Ss]?)://.+$', 1, 2048), 'InstallerSha256': (r'^[A-Fa-f0-9]{64}$', 64, 64),
    'ProductCode': (None, 1, 255), 'DisplayName': (None, 1, 256), 'DisplayVersion': (None, 1, 128),
    'Silent': (None, 1, 512), 'SilentWithProgress': (None, 1, 512), 'InstallLocation': (None, 1, 512), 'Log': (None, 1, 512),
}
ENUMS = {
    'InstallerType': {'msix', 'msi', 'appx', 'exe', 'zip', 'inno', 'nullsoft', 'wix', 'burn', 'pwa', 'portable', 'font'},
    'Scope': {'user', 'machine'}, 'UpgradeBehavior': {'install', 'uninstallPrevious', 'deny'},
    'ElevationRequirement': {'elevationRequired', 'elevationProhibited', 'elevatesSelf'},
    'Architecture': {'x86', 'x64', 'arm', 'arm64', 'neutral'},
    'ReturnResponse': {'packageInUse', 'packageInUseByApplication', 'installInProgress', 'fileInUse', 'missingDependency',
                       'diskFull', 'insufficientMemory', 'invalidParameter', 'noNetwork', 'contactSupport',
                       'rebootRequiredToFinish', 'rebootRequiredForInstall', 'rebootInitiated', 'cancelledByUser',
                       'alreadyInstalled', 'downgrade', 'blockedByPolicy', 'systemNotSupported', 'custom'},
}
# What each object may hold (the schemas allow no other property) and must hold.
OBJECTS = {
    'version': ({'PackageIdentifier', 'PackageVersion', 'DefaultLocale', 'ManifestType', 'ManifestVersion'}, None),
    'defaultLocale': ({'PackageIdentifier', 'PackageVersion', 'PackageLocale', 'Publisher', 'PackageName', 'License',
                       'ShortDescription', 'ManifestType', 'ManifestVersion'},
                      {'PackageUrl', 'Author', 'Moniker', 'Tags', 'Description', 'PublisherUrl', 'LicenseUrl'}),
    'installer': ({'PackageIdentifier', 'PackageVersion', 'Installers', 'ManifestType', 'ManifestVersion'},
                  {'InstallerType', 'Scope', 'InstallModes', 'InstallerSwitches', 'ExpectedReturnCodes', 'UpgradeBehavior',
                   'ElevationRequirement', 'ProductCode', 'AppsAndFeaturesEntries'}),
    'Installers': ({'Architecture', 'InstallerUrl', 'InstallerSha256'}, set()),
    'InstallerSwitches': (set(), {'Silent', 'SilentWithProgress', 'InstallLocation', 'Log', 'Interactive', 'Custom',
                                  'Upgrade', 'Repair'}),
    'ExpectedReturnCodes': ({'InstallerReturnCode', 'ReturnResponse'}, {'ReturnResponseUrl'}),
    'AppsAndFeaturesEntries': (set(), {'DisplayName', 'Publisher', 'DisplayVersion', 'ProductCode', 'UpgradeCode',
                                       'InstallerType'}),
}
errors = []


def check_object(where, kind, data):
    required, optional = OBJECTS[kind]
    if not isinstance(data, dict):
        errors.append('%s: not a mapping' % where)
        return
    for key in required - data.keys():
        errors.append('%s: %s is required' % (where, key))
    allowed = required | (optional if optional is not None else set())
    for key, value in data.items():
        if key not in allowed:
            errors.append('%s: %s is not a property of %s' % (where, key, kind))
        elif key in RULES:
            pattern, low, high = RULES[key]
            if not isinstance(value, str) or not low <= len(value) <= high or (pattern and not re.match(pattern, value)):
                errors.append('%s: %s %r breaks its rule' % (where, key, value))
        elif key in ENUMS and value not in ENUMS[key]:
            errors.append('%s: %s %r is none of its values' % (where, key, value))
        elif key == 'InstallModes' and (not set(value) <= {'interactive', 'silent', 'silentWithProgress'}
                                        or len(set(value)) != len(value)):
            errors.append('%s: InstallModes %r' % (where, value))
        elif key == 'InstallerReturnCode' and (not isinstance(value, int) or value == 0):
            errors.append('%s: InstallerReturnCode %r' % (where, value))
        elif key in ('Installers', 'ExpectedReturnCodes', 'AppsAndFeaturesEntries'):
            if not isinstance(value, list) or not value:
                errors.append('%s: %s must be a list' % (where, key))
            else:
                for i, entry in enumerate(value):
                    check_object('%s/%s[%d]' % (where, key, i), key, entry)
        elif key == 'InstallerSwitches':
            check_object(where + '/InstallerSwitches', key, value)


directory, package = sys.argv[1], sys.argv[2]
documents = {}
for suffix, kind in (('.yaml', 'version'), ('.locale.en-US.yaml', 'defaultLocale'), ('.installer.yaml', 'installer')):
    name = package + suffix
    with open('%s/%s' % (directory, name), encoding='utf-8') as f:
        data = yaml.safe_load(f)
    check_object(name, kind, data)
    if data.get('ManifestType') != kind or str(data.get('ManifestVersion')) != '1.10.0':
        errors.append('%s: ManifestType %r, ManifestVersion %r' % (name, data.get('ManifestType'), data.get('ManifestVersion')))
    documents[kind] = data
for kind, data in documents.items():
    for key in ('PackageIdentifier', 'PackageVersion'):
        if data.get(key) != documents['version'].get(key):
            errors.append('%s: %s differs from the version manifest' % (kind, key))
    if data.get('PackageIdentifier') != package:
        errors.append('%s: PackageIdentifier %r is not the files\' name' % (kind, data.get('PackageIdentifier')))
if documents['version'].get('DefaultLocale') != documents['defaultLocale'].get('PackageLocale'):
    errors.append('the default locale manifest is not of the version manifest\'s DefaultLocale')
for e in errors:
    print('FAIL: ' + e, file=sys.stderr)
sys.exit(1 if errors else 0)
