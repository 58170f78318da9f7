10 GOSUB 10
RUN
20 FOR I=1 TO 2:FOR J=1 TO 2:GOSUB 40:NEXT J,I:PRINT "DONE":END
40 A$="X"+STR$(J):RETURN
RUN 20
A$=A$+A$+A$+A$+A$+A$+A$+A$+A$+A$+A$+A$+A$+A$+A$+A$+A$+A$+A$+A$
PRINT ((((((((((((((((((((((((((((((1))))))))))))))))))))))))))))))
B$=A$:FOR I=1 TO 8:B$=B$+B$:NEXT
PRINT LEN(B$)
