* Lučke in stikala (plošča lucke.json): lučke L0-L3 na P10-P13 kažejo stikala S0-S3
* na P14-P17. Dokler je tipka T0 na P20 pritisnjena (da nivo 0), so lučke obrnjene.
P1DDR   EQU $00
P2DDR   EQU $01
P1DR    EQU $02
P2DR    EQU $03
        ORG $2000
START   LDAA #$0F           P10-P13 so izhodi (lučke), P14-P17 vhodi (stikala)
        STAA P1DDR
        CLR P2DDR           vrata 2 so vhodi (tipka na P20)
ZANKA   LDAA P1DR           stikala so v bitih 7-4
        LSRA                ; premakni jih v bite 3-0
        LSRA                ;
        LSRA                ;
        LSRA                ;
        LDAB P2DR
        ANDB #$01           P20 = 0: tipka je pritisnjena
        BNE PISI
        EORA #$0F           obrni lučke
PISI    STAA P1DR           lučke prevzamejo bite 3-0
        BRA ZANKA
        ORG $FFFE
        FDB START
        END
