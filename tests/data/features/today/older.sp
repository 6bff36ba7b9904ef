ID   FLAV1_TEST     STANDARD;      PRT;    40 AA.
AC   P90001;
DE   FLAVODOXIN (FLAVODOXIN-1) (FLD).
OS   Anabaena sp.
KW   Flavoprotein; FMN; Electron transport.
FT   CHAIN         1     35       Flavodoxin.
FT   DOMAIN        3     30       Flavodoxin-like.
SQ   SEQUENCE   40 AA;  4000 MW;  0000 CRC32;
     SKLHDDKVMK NPGIISDWDY QQCRNASKFY MYITFEPLCT
//
ID   FLAV2_TEST     STANDARD;      PRT;    40 AA.
AC   P90002;
DE   FLAVODOXIN (FLAVODOXIN SHORT CHAIN).
OS   Anabaena sp.
KW   Flavoprotein; FMN.
FT   CHAIN         1     40       Flavodoxin.
FT   DOMAIN        3     30       Flavodoxin-like.
SQ   SEQUENCE   40 AA;  4000 MW;  0000 CRC32;
     DGRFKVCGAR FNWWQDLRRN ANGKGSNTCT IGHSVDMMCP
//
ID   FLAV3_TEST     STANDARD;      PRT;    40 AA.
AC   Q90003;
DE   FLAVODOXIN.
OS   Nostoc sp.
KW   Flavoprotein.
FT   CHAIN         1     40       Flavodoxin.
FT   DOMAIN        ?     30       Flavodoxin-like.
SQ   SEQUENCE   40 AA;  4000 MW;  0000 CRC32;
     MELKVDLRRL TEWALHSVVE AWCNHLYECV QQRAGNAYHI
//
ID   OPS2_TEST      STANDARD;      PRT;    40 AA.
AC   P90004;
DE   OPSIN RH2 (RH2).
OS   Drosophila sp.
KW   Photoreceptor; Vision.
FT   CHAIN         1     40       Opsin Rh2.
SQ   SEQUENCE   40 AA;  4000 MW;  0000 CRC32;
     PHMPDNCGDD LIFRYSEIYN KASGLVRHQL HTFMWCIESY
//
ID   OPS3_TEST      STANDARD;      PRT;    40 AA.
AC   P90005;
DE   OPSIN RH3 (OCELLAR OPSIN).
OS   Drosophila sp.
KW   Photoreceptor; Vision.
FT   CHAIN         1     40       Opsin Rh3.
SQ   SEQUENCE   40 AA;  4000 MW;  0000 CRC32;
     YYDIQMLCFE PDNHGVAGRC WYTRYCIKVH EVYVRNMTHP
//
