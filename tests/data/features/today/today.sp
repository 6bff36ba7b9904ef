ID   FLAV1_TEST              Reviewed;          40 AA.
AC   P90001;
DE   RecName: Full=Flavodoxin {ECO:0000250|UniProtKB:P00323};
DE   AltName: Full=Flavodoxin-1;
DE            Short=FLD;
DE            EC=1.4.1.1;
DE   Flags: Precursor;
OS   Anabaena sp.
KW   Flavoprotein; FMN; Electron transport.
FT   CHAIN         1    >35       Flavodoxin.
FT   DOMAIN        3     30       Flavodoxin-like.
SQ   SEQUENCE   40 AA;  4000 MW;  0000 CRC32;
     SKLHDDKVMK NPGIISDWDY QQCRNASKFY MYITFEPLCT
//
ID   FLAV2_TEST              Reviewed;          40 AA.
AC   P90002;
DE   RecName: Full=Flavodoxin;
DE   Contains:
DE     RecName: Full=Flavodoxin short chain;
DE   Flags: Fragment;
OS   Anabaena sp.
KW   Flavoprotein; FMN.
FT   CHAIN        <1     40       Flavodoxin.
FT   DOMAIN        3     30       Flavodoxin-like.
SQ   SEQUENCE   40 AA;  4000 MW;  0000 CRC32;
     DGRFKVCGAR FNWWQDLRRN ANGKGSNTCT IGHSVDMMCP
//
ID   FLAV3_TEST              Unreviewed;        40 AA.
AC   Q90003;
DE   SubName: Full=Flavodoxin {ECO:0000313|EMBL:CAA00001.1};
DE   AltName: Allergen=Fla a 1;
DE   AltName: CD_antigen=CD99;
DE   AltName: INN=Flavotide;
DE   AltName: Biotech=Flavase;
OS   Nostoc sp.
KW   Flavoprotein.
FT   CHAIN         1     40       Flavodoxin.
FT   DOMAIN        ?     30       Flavodoxin-like.
SQ   SEQUENCE   40 AA;  4000 MW;  0000 CRC32;
     MELKVDLRRL TEWALHSVVE AWCNHLYECV QQRAGNAYHI
//
ID   OPS2_TEST               Reviewed;          40 AA.
AC   P90004;
DE   RecName: Full=Opsin Rh2;
DE            Short=Rh2;
OS   Drosophila sp.
KW   Photoreceptor; Vision.
FT   CHAIN         1     40       Opsin Rh2.
SQ   SEQUENCE   40 AA;  4000 MW;  0000 CRC32;
     PHMPDNCGDD LIFRYSEIYN KASGLVRHQL HTFMWCIESY
//
ID   OPS3_TEST               Reviewed;          40 AA.
AC   P90005;
DE   RecName: Full=Opsin Rh3;
DE   AltName: Full=Ocellar opsin;
OS   Drosophila sp.
KW   Photoreceptor; Vision.
FT   CHAIN        <1    >40       Opsin Rh3.
SQ   SEQUENCE   40 AA;  4000 MW;  0000 CRC32;
     YYDIQMLCFE PDNHGVAGRC WYTRYCIKVH EVYVRNMTHP
//
