ID   ZNFA_HUMAN   STANDARD;      PRT;    40 AA.
AC   P10001;
DE   Zinc finger kinase alpha.
OS   Homo sapiens (Human).
KW   Zinc; Metal-binding; Kinase.
FT   DOMAIN        1     10       KRINGLE 1.
FT   METAL         5      5       ZINC.
SQ   SEQUENCE   40 AA;  1000 MW;  0000 CRC32;
     MFPCDVENWC THCDQQDIDV QCWEIWCWWP CICVFLQFVE
//
ID   ZNFB_HUMAN   STANDARD;      PRT;    40 AA.
AC   P10002;
DE   Zinc finger kinase beta.
OS   Homo sapiens (Human).
KW   Zinc; Metal-binding; Repeat.
FT   DOMAIN        1     10       KRINGLE 1.
FT   METAL         5      5       ZINC.
FT   METAL         9      9       ZINC.
SQ   SEQUENCE   40 AA;  1000 MW;  0000 CRC32;
     WLVGEWWHNE VDWCYHSVQM RWRNLIGIDW LTSMRLYDET
//
ID   YGAM_MOUSE   STANDARD;      PRT;    30 AA.
AC   Q20003;
DE   Hypothetical protein gamma.
OS   Homo sapiens (Human).
KW   Hypothetical protein; Transport.
FT   DOMAIN        1     10       KRINGLE 1.
SQ   SEQUENCE   30 AA;  1000 MW;  0000 CRC32;
     QGMFSQCDVW MMNYSWRDDK SDCLWRLPNA
//
ID   TRPD_YEAST   STANDARD;      PRT;    30 AA.
AC   Q20004;
DE   Transport kinase delta.
OS   Homo sapiens (Human).
KW   Kinase; Transport.
FT   METAL         3      3       ZINC.
FT   TRANSMEM      5     20
SQ   SEQUENCE   30 AA;  1000 MW;  0000 CRC32;
     RNGYESCHLF IPPSDGRPVK FQVKQNPIFD
//
