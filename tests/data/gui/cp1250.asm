* števec èrke ŠŽÈ ž
stevec rmb 2 ; znaèka
       end
