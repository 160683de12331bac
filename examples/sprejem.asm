* Sprejem po SCI s prekinitvijo: vsak prejeti bajt (9600 bit/s) shrani v medpomnilnik od $0100 naprej.
RMCR    EQU $10
TRCSR   EQU $11
RDR     EQU $12
KAZ     EQU $84
        ORG $2000
START   LDS #$00FF
        LDX #$0100
        STX KAZ
        LDAA #$01           9600 bit/s
        STAA RMCR
        LDAA #$18           RIE in RE
        STAA TRCSR
        CLI
ZANKA   BRA ZANKA
SCIPR   LDAA TRCSR          najprej status, nato podatek: RDRF se pobriše
        LDAB RDR
        LDX KAZ
        STAB 0,X
        INX
        STX KAZ
        RTI
        ORG $FFF0
        FDB SCIPR
        ORG $FFFE
        FDB START
        END
