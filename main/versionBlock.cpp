// The program's version block, found in the executable file by its marker
// (platform/VersionResource.h). Kept by the linker although nothing refers
// to it.
extern const char QuillonVersionBlock[];
[[gnu::used]] const char QuillonVersionBlock[] =
    "@@QUILLON-VERSION-BLOCK@@\n"
    "FIXED 1.1.0.4 1.0.0.0\n"
    "BLOCK 140904E4\n"
    "CompanyName=Kestrow\n"
    "FileDescription=Quillon\n"
    "FileVersion=1.1.0.4\n"
    "InternalName=quillon\n"
    "LegalCopyright=Copyright (C) Kestrow\n"
    "OriginalFilename=quillon\n"
    "ProductName=Quillon - Graph Digitising Utility\n"
    "ProductVersion=1.0.0.0\n"
    "END\n";
