
* Program, ki šteje po modulu 10 do vrednosti 9999, nato pa
* prične znova
       org $1000        ; pomnilnik s spremenljivkami
stevec rmb 2           ; ker štejemo do 9999, rezerviramo dva zloga za števec

       org $fffe        ; reset vektor, ki kaže na začetek programa
       fdb zaceti

       org $2000        ; del pomnilnika s programsko kodo
zaceti clr stevec       ; števcu damo začetno vrednost
       clr stevec+1     ; ker je dvozložen, tudi drugemu zlogu

zanka  ldaa stevec+1; prištevanje začnemo na manj vrednem zlogu
       adda #1
       daa              ; korigiramo rezultat, da bo štetje po modulu 10
       staa stevec+1
       ldaa stevec
       adca #0          ; prištejemo 0, kar je nepomembno, prištejemo pa tudi carry
       daa
       staa stevec
       bra zanka        ; štetje se nikoli ne prekine
       end

