* Prekinitev primerjalnika časovnika: vsakih 50 tiktakov obrne nivo na nožici P21 (pravokotni signal).
TCSR    EQU $08
TCNT    EQU $09
OCR     EQU $0B
P2DDR   EQU $01
        ORG $2000
START   LDS #$00FF
        LDAA #$02           P21 je izhod
        STAA P2DDR
        LDD TCNT
        ADDD #50
        STD OCR
        LDAA #$08           EOCI: prekinitev ob ujemanju, OLVL = 0
        STAA TCSR
        CLI
ZANKA   BRA ZANKA
* OCF je postavljen, ko pridemo sem; vpis v OCR ga pobriše
OCFPR   LDAA TCSR
        EORA #$01           naslednjič drug nivo
        STAA TCSR
        INC $80             števec ujemanj
        LDD OCR
        ADDD #50
        STD OCR
        RTI
        ORG $FFF4
        FDB OCFPR
        ORG $FFFE
        FDB START
        END
